#include "labels/recordsets.h"

namespace {

constexpr bool kHidden = false;
constexpr bool kShown = true;

TField* Text(TClientDataSet& set, const char* name, int width, const QString& label = QString(),
             bool visible = kShown)
{
    TField* field = set.AddField(QString::fromLatin1(name), TFieldType::String, width);
    field->DisplayLabel = label;
    field->Visible = visible;
    return field;
}

TField* FixedText(TClientDataSet& set, const char* name, int width, bool visible)
{
    TField* field = set.AddField(QString::fromLatin1(name), TFieldType::FixedString, width);
    field->Visible = visible;
    return field;
}

TField* Number(TClientDataSet& set, const char* name, const QString& label, const char* format,
               bool visible)
{
    TField* field = set.AddField(QString::fromLatin1(name), TFieldType::Float);
    field->DisplayLabel = label;
    field->DisplayFormat = QString::fromLatin1(format);
    field->Visible = visible;
    return field;
}

TField* Date(TClientDataSet& set, const char* name, const QString& label, bool visible)
{
    TField* field = set.AddField(QString::fromLatin1(name), TFieldType::DateTime);
    field->DisplayLabel = label;
    field->Visible = visible;
    return field;
}

// Fields 1 to 12 of a label row, as the label packet carries them, each shown only when it is
// in `visible`. Fields before `first` or after `last` (1-based) are left out.
struct TLabelFieldChoice {
    int first = 1;
    int last = 11;
    QStringList visible;
    const char* weightFormat = "";
};

void DefineLabelFields(TClientDataSet& set, const TLabelFieldChoice& choice)
{
    const auto shown = [&](const char* name) { return choice.visible.contains(QLatin1String(name)); };
    const auto wanted = [&](int number) { return number >= choice.first && number <= choice.last; };
    if (wanted(1)) FixedText(set, "IDCHECK", 1, shown("IDCHECK"));
    if (wanted(2)) Text(set, "CDFILIAL", 4, {}, shown("CDFILIAL"));
    if (wanted(3)) Text(set, "NRLANCTONF", 10, {}, shown("NRLANCTONF"));
    if (wanted(4)) Text(set, "NRSEQITPROD", 4, {}, shown("NRSEQITPROD"));
    if (wanted(5)) Text(set, "NRSEQETIQ", 20, {}, shown("NRSEQETIQ"));
    if (wanted(6)) Text(set, "CDPRODUTO", 10, {}, shown("CDPRODUTO"));
    if (wanted(7)) Number(set, "QTETIQPROD", QStringLiteral("Quantidade"), "", shown("QTETIQPROD"));
    if (wanted(8)) Number(set, "VRPESOETIQ", QStringLiteral("Peso"), choice.weightFormat, shown("VRPESOETIQ"));
    if (wanted(9)) Number(set, "QTTOTALPRODETIQ", {}, "", shown("QTTOTALPRODETIQ"));
    if (wanted(10)) Text(set, "IDSTATUSETIQ", 1, QStringLiteral("Situação"), shown("IDSTATUSETIQ"));
    if (wanted(11)) Text(set, "CDCODBARRAETIQ", 50, QStringLiteral("Código de barras"), shown("CDCODBARRAETIQ"));
    if (wanted(12)) Text(set, "NRPEDEXOL", 20, {}, shown("NRPEDEXOL"));
}

const char* const kSplitOrder = "NRSEQITPROD;VRPESOETIQ;QTETIQPROD";
const char* const kSplitIndexFields = "NRSEQITPROD;VRPESOETIQ";
const char* const kLabelWeightSum = "SUM(QTETIQPROD*VRPESOETIQ)";

// A label change buffer: fields 1 to 11 kept in item, weight, quantity order, with the index on
// item and weight defined beside that order.
void DefineChangeBuffer(TClientDataSet& set, const char* weightFormat)
{
    TLabelFieldChoice choice;
    choice.visible = {QStringLiteral("VRPESOETIQ"), QStringLiteral("IDSTATUSETIQ"),
                      QStringLiteral("CDCODBARRAETIQ")};
    choice.weightFormat = weightFormat;
    DefineLabelFields(set, choice);
    set.AddIndex(QStringLiteral("cdsInsEtiquetaIndex1"), QString::fromLatin1(kSplitIndexFields));
    set.SetIndexFieldNames(QString::fromLatin1(kSplitOrder));
}

} // namespace

void DefineNotaFiscal(TClientDataSet& set)
{
    Text(set, "CDFILIAL", 4, QStringLiteral("Filial"), kHidden);
    Text(set, "NRLANCTONF", 10, QStringLiteral("Número lançamento"), kHidden);
    Text(set, "CDFILIRECE", 4, QStringLiteral("Filial"));
    Text(set, "CDINSCESTA", 16, QStringLiteral("Inscrição Estadual"));
    Text(set, "NRINSJURNF", 20, QStringLiteral("Inscrição"));
    Text(set, "NMRAZSOCFORN", 40, QStringLiteral("Razão Social"));
    Text(set, "NRNOTAFISC", 20, QStringLiteral("Número"));
    Text(set, "CDSERIEENTR", 5, {}, kHidden);
    Date(set, "DTEMISSAO", QStringLiteral("Data Emissão"), kShown);
    Number(set, "VRNOTAFISC", QStringLiteral("Valor"), "#####0.00", kShown);
    Text(set, "IDSTATUSNFE", 1, {}, kHidden);
    Text(set, "NRACESSONFE", 50, QStringLiteral("Chave de acesso"));
    Text(set, "IDTPIJURNF", 1, {}, kHidden);
    Text(set, "DSRODAP", 40, {}, kHidden);
    set.AddIndex(QStringLiteral("cdsNotaFiscalOrdem"), QStringLiteral("CDFILIRECE;NRNOTAFISC;DTEMISSAO"));
    set.SetIndexName(QStringLiteral("cdsNotaFiscalOrdem"));
}

void DefineProdEtiq(TClientDataSet& set)
{
    FixedText(set, "IDCHECK", 1, kHidden);
    Text(set, "CDFILIAL", 4, {}, kHidden);
    Text(set, "NRLANCTONF", 10, {}, kHidden);
    Text(set, "CDPRODUTO", 10, QStringLiteral("Código Produto"), kHidden);
    Text(set, "CDARVPROD", 20, QStringLiteral("Código"));
    Text(set, "NMPRODUTO", 50, QStringLiteral("Produto"));
    Text(set, "SGUNIDADE", 10, QStringLiteral("UN"));
    Text(set, "LOTESUBLOTE", 25, QStringLiteral("Lote"));
    Number(set, "QTITEMPROD", QStringLiteral("Quantidade"), "#####0.000", kShown);
    Text(set, "NRSEQITPROD", 4, {}, kHidden);
    Date(set, "DTVALILOTE", QStringLiteral("Validade"), kShown);
}

void DefineEtiquetaConsulta(TClientDataSet& set)
{
    TLabelFieldChoice choice;
    choice.last = 12;
    choice.visible = {QStringLiteral("VRPESOETIQ"), QStringLiteral("IDSTATUSETIQ"),
                      QStringLiteral("CDCODBARRAETIQ"), QStringLiteral("NRPEDEXOL")};
    choice.weightFormat = "#####0.000#######";
    DefineLabelFields(set, choice);
    set.AddAggregate(QStringLiteral("NRSEQETIQMAX"), QStringLiteral("MAX(NRSEQETIQ)"));
    set.AddAggregate(QStringLiteral("QTACUMULADA"), QString::fromLatin1(kLabelWeightSum));
    set.AggregatesActive = true;
    set.AddIndex(QStringLiteral("cdsInsEtiquetaIndex1"), QStringLiteral("IDSTATUSETIQ;CDCODBARRAETIQ"));
    set.SetIndexName(QStringLiteral("cdsInsEtiquetaIndex1"));
}

void DefineAuxEtiqueta(TClientDataSet& set)
{
    DefineChangeBuffer(set, "#####0.000");
    set.AggregatesActive = true;
}

void DefineInsEtiqueta(TClientDataSet& set)
{
    DefineChangeBuffer(set, "#####0.0000");
}

void DefineEtiquetaDesmembra(TClientDataSet& set)
{
    TLabelFieldChoice choice;
    choice.first = 2;
    choice.visible = {QStringLiteral("QTETIQPROD"), QStringLiteral("VRPESOETIQ")};
    choice.weightFormat = "#####0.000";
    DefineLabelFields(set, choice);
    TAggregateField* total = set.AddAggregate(QStringLiteral("QTACUMULADA"), QString::fromLatin1(kLabelWeightSum));
    total->Alignment = TAlignment::Right;
    set.AggregatesActive = true;
}

void DefineRelEtiquetas(TClientDataSet& set)
{
    Text(set, "IDCHECK", 1, {}, kHidden);
    Text(set, "NMPRODUTO", 50, QStringLiteral("Nome"), kHidden);
    Text(set, "LOTESUBLOTE", 25, QStringLiteral("Lote/Sub-Lote"), kHidden);
    Text(set, "NRSEQITPROD", 4, {}, kHidden);
    Date(set, "DTVALILOTE", {}, kHidden);
    Text(set, "SGUNIDADE", 10, QStringLiteral("UN"), kHidden);
    Text(set, "NRNOTAFISC", 20, QStringLiteral("Nº da NF"), kHidden);
    Text(set, "CDSERIEENTR", 5, QStringLiteral("Série"), kHidden);
    Number(set, "VRPESOETIQ", QStringLiteral("Peso"), "#####0.000", kShown);
    Number(set, "QTETIQPROD", QStringLiteral("Quantidade"), "", kHidden);
    Text(set, "CDCODBARRAETIQ", 50, QStringLiteral("Código de barras"));
    Text(set, "CDARVPROD", 20, QStringLiteral("Código"));
    set.AddIndex(QStringLiteral("cdsRelEtiquetasIndex1"), QStringLiteral("IDCHECK;VRPESOETIQ"));
    set.SetIndexName(QStringLiteral("cdsRelEtiquetasIndex1"));
}

void DefineRelEtiquetasImpressao(TClientDataSet& set)
{
    Text(set, "IDCHECK", 1);
    Text(set, "NMPRODUTO", 50, QStringLiteral("Nome"));
    Text(set, "LOTESUBLOTE", 25, QStringLiteral("Lote/Sub-Lote"));
    Date(set, "DTVALILOTE", {}, kShown);
    Text(set, "SGUNIDADE", 10, QStringLiteral("UN"));
    Text(set, "NRNOTAFISC", 20, QStringLiteral("Nº da NF"));
    Text(set, "CDSERIEENTR", 5, QStringLiteral("Série"));
    Number(set, "VRPESOETIQ", QStringLiteral("Peso"), "", kShown);
    Number(set, "QTETIQPROD", QStringLiteral("Quantidade"), "", kShown);
    Text(set, "CDCODBARRAETIQ", 50, QStringLiteral("Código de barras"));
    Text(set, "CDARVPROD", 20, QStringLiteral("Código"));
    set.AddIndex(QStringLiteral("DEFAULT_ORDER"), QString());
    set.AddIndex(QStringLiteral("CHANGEINDEX"), QString());
    set.AddIndex(QStringLiteral("cdsRelEtiquetasORDER"), QStringLiteral("CDCODBARRAETIQ"));
    set.SetIndexName(QStringLiteral("cdsRelEtiquetasORDER"));
}
