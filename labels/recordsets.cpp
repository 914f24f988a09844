#include "labels/recordsets.h"

#include "labels/packetlayouts.h"

#include <utility>

namespace {

constexpr bool kHidden = false;
constexpr bool kShown = true;

// The record-set kind of a packet column's kind.
TFieldType ToFieldType(TPacketFieldType type)
{
    constexpr std::pair<TPacketFieldType, TFieldType> kKinds[] = {
        {TPacketFieldType::String, TFieldType::String}, {TPacketFieldType::FixedString, TFieldType::FixedString},
        {TPacketFieldType::Float, TFieldType::Float},   {TPacketFieldType::DateTime, TFieldType::DateTime}};
    for (const auto& [packetKind, fieldKind] : kKinds)
        if (packetKind == type)
            return fieldKind;
    return TFieldType::String;
}

// A field of the kind and width its packet column has (labels/packetlayouts.h).
TField* Column(TClientDataSet& set, const TPacketColumn& column, const QString& label, bool visible)
{
    TField* field = set.AddField(QString::fromLatin1(column.name), ToFieldType(column.type), column.width);
    field->DisplayLabel = label;
    field->Visible = visible;
    return field;
}

const TPacketColumn& ColumnNamed(const char* name)
{
    const TPacketColumn* column = FindPacketColumn(name);
    Q_ASSERT_X(column, "ColumnNamed", name);
    return *column;
}

TField* Text(TClientDataSet& set, const char* name, const QString& label = QString(), bool visible = kShown)
{
    return Column(set, ColumnNamed(name), label, visible);
}

// The print mark of the locally built printable-label sets: plain text of the mark's width.
TField* MarkText(TClientDataSet& set, bool visible)
{
    TField* field = set.AddField(QStringLiteral("IDCHECK"), TFieldType::String, ColumnNamed("IDCHECK").width);
    field->Visible = visible;
    return field;
}

TField* Number(TClientDataSet& set, const char* name, const QString& label, const char* format, bool visible)
{
    TField* field = Column(set, ColumnNamed(name), label, visible);
    field->DisplayFormat = QString::fromLatin1(format);
    return field;
}

TField* Date(TClientDataSet& set, const char* name, const QString& label, bool visible)
{
    return Column(set, ColumnNamed(name), label, visible);
}

// Columns 1 to 12 of a label row, as the label packet carries them, each shown only when it is
// in `visible`. Columns before `first` or after `last` (1-based) are left out.
struct TLabelFieldChoice {
    int first = 1;
    int last = kLabelChangeColumns;
    QStringList visible;
    const char* weightFormat = "";
};

QString LabelDisplayLabel(const QString& name)
{
    if (name == QLatin1String("QTETIQPROD"))
        return QStringLiteral("Quantidade");
    if (name == QLatin1String("VRPESOETIQ"))
        return QStringLiteral("Peso");
    if (name == QLatin1String("IDSTATUSETIQ"))
        return QStringLiteral("Situação");
    if (name == QLatin1String("CDCODBARRAETIQ"))
        return QStringLiteral("Código de barras");
    return QString();
}

void DefineLabelFields(TClientDataSet& set, const TLabelFieldChoice& choice)
{
    const TPacketLayout layout = LabelPacketLayout();
    for (int number = choice.first; number <= choice.last && number <= int(layout.size()); ++number) {
        const TPacketColumn& column = layout[size_t(number - 1)];
        const QString name = QString::fromLatin1(column.name);
        TField* field = Column(set, column, LabelDisplayLabel(name), choice.visible.contains(name));
        if (name == QLatin1String("VRPESOETIQ"))
            field->DisplayFormat = QString::fromLatin1(choice.weightFormat);
    }
}

// The fields of a packet-loaded set, in the order listed, each of its packet column's kind and
// width, with its display label, visibility and format; a packet column not listed is not declared.
struct TShownColumn {
    const char* name;
    QString label;
    bool visible = kShown;
    const char* format = "";
};

void DefinePacketFields(TClientDataSet& set, TPacketLayout layout, const QList<TShownColumn>& shown)
{
    for (const TShownColumn& s : shown) {
        const TPacketColumn* column = nullptr;
        for (const TPacketColumn& c : layout)
            if (qstrcmp(c.name, s.name) == 0)
                column = &c;
        Q_ASSERT_X(column, "DefinePacketFields", s.name);
        Column(set, *column, s.label, s.visible)->DisplayFormat = QString::fromLatin1(s.format);
    }
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
    DefinePacketFields(set, InvoicePacketLayout(),
                       {{"CDFILIAL", QStringLiteral("Filial"), kHidden},
                        {"NRLANCTONF", QStringLiteral("Número lançamento"), kHidden},
                        {"CDFILIRECE", QStringLiteral("Filial")},
                        {"CDINSCESTA", QStringLiteral("Inscrição Estadual")},
                        {"NRINSJURNF", QStringLiteral("Inscrição")},
                        {"NMRAZSOCFORN", QStringLiteral("Razão Social")},
                        {"NRNOTAFISC", QStringLiteral("Número")},
                        {"CDSERIEENTR", {}, kHidden},
                        {"DTEMISSAO", QStringLiteral("Data Emissão")},
                        {"VRNOTAFISC", QStringLiteral("Valor"), kShown, "#####0.00"},
                        {"IDSTATUSNFE", {}, kHidden},
                        {"NRACESSONFE", QStringLiteral("Chave de acesso")},
                        {"IDTPIJURNF", {}, kHidden},
                        {"DSRODAP", {}, kHidden}});
    set.AddIndex(QStringLiteral("cdsNotaFiscalOrdem"), QStringLiteral("CDFILIRECE;NRNOTAFISC;DTEMISSAO"));
    set.SetIndexName(QStringLiteral("cdsNotaFiscalOrdem"));
}

// The item packet's NRPEDEXOL travels but has no field here.
void DefineProdEtiq(TClientDataSet& set)
{
    DefinePacketFields(set, ItemPacketLayout(),
                       {{"IDCHECK", {}, kHidden},
                        {"CDFILIAL", {}, kHidden},
                        {"NRLANCTONF", {}, kHidden},
                        {"CDPRODUTO", QStringLiteral("Código Produto"), kHidden},
                        {"CDARVPROD", QStringLiteral("Código")},
                        {"NMPRODUTO", QStringLiteral("Produto")},
                        {"SGUNIDADE", QStringLiteral("UN")},
                        {"LOTESUBLOTE", QStringLiteral("Lote")},
                        {"QTITEMPROD", QStringLiteral("Quantidade"), kShown, "#####0.000"},
                        {"NRSEQITPROD", {}, kHidden},
                        {"DTVALILOTE", QStringLiteral("Validade")}});
}

void DefineEtiquetaConsulta(TClientDataSet& set)
{
    TLabelFieldChoice choice;
    choice.last = int(LabelPacketLayout().size());
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
    MarkText(set, kHidden);
    Text(set, "NMPRODUTO", QStringLiteral("Nome"), kHidden);
    Text(set, "LOTESUBLOTE", QStringLiteral("Lote/Sub-Lote"), kHidden);
    Text(set, "NRSEQITPROD", {}, kHidden);
    Date(set, "DTVALILOTE", {}, kHidden);
    Text(set, "SGUNIDADE", QStringLiteral("UN"), kHidden);
    Text(set, "NRNOTAFISC", QStringLiteral("Nº da NF"), kHidden);
    Text(set, "CDSERIEENTR", QStringLiteral("Série"), kHidden);
    Number(set, "VRPESOETIQ", QStringLiteral("Peso"), "#####0.000", kShown);
    Number(set, "QTETIQPROD", QStringLiteral("Quantidade"), "", kHidden);
    Text(set, "CDCODBARRAETIQ", QStringLiteral("Código de barras"));
    Text(set, "CDARVPROD", QStringLiteral("Código"));
    set.AddIndex(QStringLiteral("cdsRelEtiquetasIndex1"), QStringLiteral("IDCHECK;VRPESOETIQ"));
    set.SetIndexName(QStringLiteral("cdsRelEtiquetasIndex1"));
}

void DefineRelEtiquetasImpressao(TClientDataSet& set)
{
    MarkText(set, kShown);
    Text(set, "NMPRODUTO", QStringLiteral("Nome"));
    Text(set, "LOTESUBLOTE", QStringLiteral("Lote/Sub-Lote"));
    Date(set, "DTVALILOTE", {}, kShown);
    Text(set, "SGUNIDADE", QStringLiteral("UN"));
    Text(set, "NRNOTAFISC", QStringLiteral("Nº da NF"));
    Text(set, "CDSERIEENTR", QStringLiteral("Série"));
    Number(set, "VRPESOETIQ", QStringLiteral("Peso"), "", kShown);
    Number(set, "QTETIQPROD", QStringLiteral("Quantidade"), "", kShown);
    Text(set, "CDCODBARRAETIQ", QStringLiteral("Código de barras"));
    Text(set, "CDARVPROD", QStringLiteral("Código"));
    set.AddIndex(QStringLiteral("DEFAULT_ORDER"), QString());
    set.AddIndex(QStringLiteral("CHANGEINDEX"), QString());
    set.AddIndex(QStringLiteral("cdsRelEtiquetasORDER"), QStringLiteral("CDCODBARRAETIQ"));
    set.SetIndexName(QStringLiteral("cdsRelEtiquetasORDER"));
}
