// The query screen's label grouping: the marked labels of the current item become inactive and
// one new active label carries their summed weight; the change travels to the server in the
// grouping buffer's change packet, and the screen then reads the server's state back.

#include "screens/Cli_est99000/cli_est99000.h"

#include "framework/routines.h"
#include "framework/uiservices.h"
#include "labels/barcode.h"
#include "labels/consdesetiqserver.h"
#include "labels/labelcodes.h"
#include "labels/textrules.h"
#include "package/pkg_est99000.h"
#include "platform/controlspause.h"

#include <exception>

namespace {

// The highest label number the five digits of a barcode hold.
constexpr int kMaiorSequencia = 99999;

TField* Field(const TClientDataSet* set, const char* name)
{
    return set->FieldByName(QLatin1String(name));
}

void Copy(TClientDataSet* to, const TClientDataSet* from, const char* field)
{
    Field(to, field)->SetValue(Field(from, field)->Value());
}

} // namespace

void TfrmConsDesEtiq::btnAgruparClick(QObject*)
{
    if (!UiServices().Question(this, msgPadrao.Msg(QStringLiteral("AgrupEtiq"))))
        return;
    const int notaFiscal = cdsNotaFiscal->RecNo();
    const int item = cdsProdEtiq->RecNo();
    const int etiqueta = cdsEtiqueta->RecNo();
    // What the grouping changes on the screen before the server answers, kept for the case in
    // which the screen cannot read the server's state back afterwards.
    const TDataPacket buffer = cdsAuxEtiqueta->Packet();
    const TDataPacket imprimiveis = cdsRelEtiquetas->Packet();

    TControlsPause labels(cdsEtiqueta);
    double peso = 0.0;
    int maiorSequencia = 0;
    QStringList agrupadas;
    try {
        for (cdsEtiqueta->First(); !cdsEtiqueta->Eof(); cdsEtiqueta->Next()) {
            // The labels drawn with a tick: marked and active, as the counter counts them.
            if (Field(cdsEtiqueta, "IDCHECK")->AsString() == QLatin1String(kMarcada)
                && Field(cdsEtiqueta, "IDSTATUSETIQ")->AsString() == QLatin1String(kStatusAtiva)) {
                const QString barcode = Field(cdsEtiqueta, "CDCODBARRAETIQ")->AsString();
                cdsAuxEtiqueta->Append();
                Field(cdsAuxEtiqueta, "CDCODBARRAETIQ")->SetAsString(barcode);
                Field(cdsAuxEtiqueta, "IDSTATUSETIQ")->SetAsString(QLatin1String(kStatusInativa));
                cdsAuxEtiqueta->Post();
                peso += Field(cdsEtiqueta, "VRPESOETIQ")->AsFloat();
                agrupadas << barcode;
            }
            maiorSequencia = std::max(maiorSequencia, ReadSequence(Field(cdsEtiqueta, "NRSEQETIQ")->AsString()));
        }
        // The new label's number must fit the barcode's five digits: a sixth digit would make a
        // barcode no scan can find, and past the integer range the number would turn negative.
        if (maiorSequencia >= kMaiorSequencia) {
            MensErro(FillPlaceholders(msgPadrao.Msg(QStringLiteral("Agrup_Limite")),
                                      {QString::number(qint64(maiorSequencia) + 1)}),
                     true);
        }
    } catch (...) {
        // Nothing of a grouping that stopped half-way may travel with a later one.
        cdsAuxEtiqueta->CancelUpdates();
        throw;
    }
    // The grouped labels leave the print list only once the whole walk has succeeded, so that a
    // stopped walk leaves the list as it was.
    for (const QString& barcode : agrupadas)
        RetiraEtiquetaImprimivel(barcode);

    const int sequencia = maiorSequencia + 1;
    const QString novaEtiqueta = ComposeBarcode(
        BarcodePrefix(Field(cdsProdEtiq, "CDFILIAL")->AsString(), Field(cdsProdEtiq, "NRLANCTONF")->AsString(),
                      Field(cdsProdEtiq, "NRSEQITPROD")->AsString()),
        sequencia);

    cdsAuxEtiqueta->Append();
    Field(cdsAuxEtiqueta, "IDCHECK")->SetAsString(QLatin1String(kDesmarcada));
    for (const char* field : {"CDFILIAL", "NRLANCTONF", "NRSEQITPROD", "CDPRODUTO"})
        Copy(cdsAuxEtiqueta, cdsProdEtiq, field);
    Field(cdsAuxEtiqueta, "NRSEQETIQ")->SetAsString(FormatSequence(sequencia));
    Field(cdsAuxEtiqueta, "QTETIQPROD")->SetAsFloat(1);
    Field(cdsAuxEtiqueta, "VRPESOETIQ")->SetAsFloat(peso);
    Field(cdsAuxEtiqueta, "QTTOTALPRODETIQ")->SetValue(Field(cdsProdEtiq, "QTITEMPROD")->Value());
    Field(cdsAuxEtiqueta, "IDSTATUSETIQ")->SetAsString(QLatin1String(kStatusAtiva));
    Field(cdsAuxEtiqueta, "CDCODBARRAETIQ")->SetAsString(novaEtiqueta);
    cdsAuxEtiqueta->Post();

    // The new label is printable at once and already chosen for printing.
    cdsRelEtiquetas->Append();
    Field(cdsRelEtiquetas, "IDCHECK")->SetAsString(QLatin1String(kMarcada));
    for (const char* field : {"NMPRODUTO", "LOTESUBLOTE", "DTVALILOTE", "NRSEQITPROD", "SGUNIDADE", "CDARVPROD"})
        Copy(cdsRelEtiquetas, cdsProdEtiq, field);
    for (const char* field : {"NRNOTAFISC", "CDSERIEENTR"})
        Copy(cdsRelEtiquetas, cdsNotaFiscal, field);
    Field(cdsRelEtiquetas, "VRPESOETIQ")->SetAsFloat(peso);
    Field(cdsRelEtiquetas, "QTETIQPROD")->SetAsFloat(1);
    Field(cdsRelEtiquetas, "CDCODBARRAETIQ")->SetAsString(novaEtiqueta);
    cdsRelEtiquetas->Post();

    std::exception_ptr falha;
    QString resposta;
    bool respondeu = false;
    try {
        TConsDesEtiqServer server(*netConsDesEtiq, progress_);
        resposta = server.SetEtiqueta(cdsAuxEtiqueta->Delta());
        respondeu = true;
    } catch (...) {
        falha = std::current_exception();
    }

    // Whatever the server said, the buffer goes and the screen shows the server's state again.
    cdsAuxEtiqueta->EmptyDataSet();
    if (respondeu && IsBlankText(resposta))
        UiServices().Information(this, msgPadrao.Msg(QStringLiteral("Agrup_ok")));
    bool recarregou = false;
    try {
        sbtVerificarClick(sbtVerificar);
        recarregou = true;
        cdsNotaFiscal->SetRecNo(notaFiscal);
        cdsProdEtiq->SetRecNo(item);
    } catch (...) {
        if (!falha)
            falha = std::current_exception();
    }
    if (!recarregou) {
        // The labels, marks and counter still show the state before the grouping (the server
        // out of reach, say): the buffer and the print list go back to it as well, and the
        // same item and label stay current, so that the clerk can group again once it is back.
        cdsAuxEtiqueta->LoadPacket(buffer);
        cdsRelEtiquetas->LoadPacket(imprimiveis);
        cdsEtiqueta->SetRecNo(etiqueta);
        labels.Resume();
        std::rethrow_exception(falha);
    }
    const bool criada =
        cdsEtiqueta->Locate(QStringLiteral("CDCODBARRAETIQ"), {novaEtiqueta}, TLocateOption::CaseInsensitive);
    if (!criada) {
        // The server did not create the label: it cannot be printed either.
        RetiraEtiquetaImprimivel(novaEtiqueta);
        cdsProdEtiq->First();
    }
    labels.Resume();
    // The button takes no focus, so the focus may be anywhere (in the barcode edit, say): moving
    // it to the new label is no entry into the page and reads nothing again.
    if (criada)
        FocaEtiquetas(true);
    if (falha)
        std::rethrow_exception(falha);
}

void TfrmConsDesEtiq::RetiraEtiquetaImprimivel(const QString& barcode)
{
    cdsRelEtiquetas->SetFiltered(false);
    if (cdsRelEtiquetas->Locate(QStringLiteral("CDCODBARRAETIQ"), {barcode}, TLocateOption::CaseInsensitive))
        cdsRelEtiquetas->Delete();
    cdsRelEtiquetas->SetFiltered(true);
}
