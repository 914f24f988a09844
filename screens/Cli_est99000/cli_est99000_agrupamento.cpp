// The query screen's label grouping: the marked labels of the current item become inactive and
// one new active label carries their summed weight; the change travels to the server in the
// grouping buffer's change packet, and the screen then reads the server's state back.

#include "screens/Cli_est99000/cli_est99000.h"

#include "framework/routines.h"
#include "framework/uiservices.h"
#include "labels/barcode.h"
#include "labels/consdesetiqserver.h"
#include "labels/labelcodes.h"
#include "labels/printablelabels.h"
#include "labels/textrules.h"
#include "package/pkg_est99000.h"
#include "platform/controlspause.h"

#include <exception>

namespace {

TField* Field(const TClientDataSet* set, const char* name)
{
    return set->FieldByName(QLatin1String(name));
}

void Copy(TClientDataSet* to, const TClientDataSet* from, const char* field)
{
    Field(to, field)->SetValue(Field(from, field)->Value());
}

} // namespace

// What a grouping works with: the screen's positions and the buffer and print list as they were
// before it, kept for the case in which the screen cannot read the server's state back
// afterwards; the grouped labels' barcodes and summed weight; the new label.
struct TfrmConsDesEtiq::TAgrupamento {
    int notaFiscal = 0;
    int item = 0;
    int etiqueta = 0;
    TDataPacket buffer;
    TDataPacket imprimiveis;
    QStringList agrupadas;
    double peso = 0.0;
    int sequencia = 0;
    QString novaEtiqueta;
};

void TfrmConsDesEtiq::btnAgruparClick(QObject*)
{
    if (!UiServices().Question(this, msgPadrao.Msg(QStringLiteral("AgrupEtiq"))))
        return;
    TAgrupamento agrupamento;
    agrupamento.notaFiscal = cdsNotaFiscal->RecNo();
    agrupamento.item = cdsProdEtiq->RecNo();
    agrupamento.etiqueta = cdsEtiqueta->RecNo();
    agrupamento.buffer = cdsAuxEtiqueta->Packet();
    agrupamento.imprimiveis = cdsRelEtiquetas->Packet();

    TControlsPause labels(cdsEtiqueta);
    InativaMarcadas(agrupamento);
    // The grouped labels leave the print list only once the whole walk has succeeded, so that a
    // stopped walk leaves the list as it was.
    for (const QString& barcode : agrupamento.agrupadas)
        RetiraEtiquetaImprimivel(barcode);
    IncluiEtiquetaAgrupada(agrupamento);

    std::exception_ptr falha = EnviaAgrupamento();
    if (!RecarregaAposAgrupar(agrupamento, falha)) {
        labels.Resume();
        std::rethrow_exception(falha);
    }
    const bool criada = cdsEtiqueta->Locate(QStringLiteral("CDCODBARRAETIQ"), {agrupamento.novaEtiqueta},
                                            TLocateOption::CaseInsensitive);
    if (!criada) {
        // The server did not create the label: it cannot be printed either.
        RetiraEtiquetaImprimivel(agrupamento.novaEtiqueta);
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

void TfrmConsDesEtiq::InativaMarcadas(TAgrupamento& agrupamento)
{
    QStringList sequencias;
    qint64 proxima = 0;
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
                agrupamento.peso += Field(cdsEtiqueta, "VRPESOETIQ")->AsFloat();
                agrupamento.agrupadas << barcode;
            }
            sequencias << Field(cdsEtiqueta, "NRSEQETIQ")->AsString();
        }
        proxima = NextGroupingSequence(sequencias);
        // The new label's number must fit the barcode's five digits: a sixth digit would make a
        // barcode no scan can find, and past the integer range the number would turn negative.
        if (proxima > kHighestSequence) {
            MensErro(FillPlaceholders(msgPadrao.Msg(QStringLiteral("Agrup_Limite")), {QString::number(proxima)}),
                     true);
        }
    } catch (...) {
        // Nothing of a grouping that stopped half-way may travel with a later one.
        cdsAuxEtiqueta->CancelUpdates();
        throw;
    }
    agrupamento.sequencia = static_cast<int>(proxima);
}

void TfrmConsDesEtiq::IncluiEtiquetaAgrupada(TAgrupamento& agrupamento)
{
    agrupamento.novaEtiqueta = ComposeBarcode(
        BarcodePrefix(Field(cdsProdEtiq, "CDFILIAL")->AsString(), Field(cdsProdEtiq, "NRLANCTONF")->AsString(),
                      Field(cdsProdEtiq, "NRSEQITPROD")->AsString()),
        agrupamento.sequencia);

    cdsAuxEtiqueta->Append();
    Field(cdsAuxEtiqueta, "IDCHECK")->SetAsString(QLatin1String(kDesmarcada));
    for (const char* field : {"CDFILIAL", "NRLANCTONF", "NRSEQITPROD", "CDPRODUTO"})
        Copy(cdsAuxEtiqueta, cdsProdEtiq, field);
    Field(cdsAuxEtiqueta, "NRSEQETIQ")->SetAsString(FormatSequence(agrupamento.sequencia));
    Field(cdsAuxEtiqueta, "QTETIQPROD")->SetAsFloat(1);
    Field(cdsAuxEtiqueta, "VRPESOETIQ")->SetAsFloat(agrupamento.peso);
    Field(cdsAuxEtiqueta, "QTTOTALPRODETIQ")->SetValue(Field(cdsProdEtiq, "QTITEMPROD")->Value());
    Field(cdsAuxEtiqueta, "IDSTATUSETIQ")->SetAsString(QLatin1String(kStatusAtiva));
    Field(cdsAuxEtiqueta, "CDCODBARRAETIQ")->SetAsString(agrupamento.novaEtiqueta);
    cdsAuxEtiqueta->Post();

    // The new label is printable at once and already chosen for printing.
    AppendPrintableLabel(*cdsRelEtiquetas, *cdsProdEtiq, *cdsNotaFiscal,
                         {QLatin1String(kMarcada), agrupamento.peso, 1.0, agrupamento.novaEtiqueta});
}

std::exception_ptr TfrmConsDesEtiq::EnviaAgrupamento()
{
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
    return falha;
}

bool TfrmConsDesEtiq::RecarregaAposAgrupar(const TAgrupamento& agrupamento, std::exception_ptr& falha)
{
    const auto guarda = [&falha] {
        if (!falha)
            falha = std::current_exception();
    };
    try {
        sbtVerificarClick(sbtVerificar);
    } catch (...) {
        guarda();
        // The labels, marks and counter still show the state before the grouping (the server
        // out of reach, say): the buffer and the print list go back to it as well, and the same
        // item and label stay current, so that the clerk can group again once it is back.
        cdsAuxEtiqueta->LoadPacket(agrupamento.buffer);
        cdsRelEtiquetas->LoadPacket(agrupamento.imprimiveis);
        cdsEtiqueta->SetRecNo(agrupamento.etiqueta);
        return false;
    }
    // The server's state is shown: a current invoice or item that cannot be found again is
    // reported at the end, the grouping itself stands.
    try {
        cdsNotaFiscal->SetRecNo(agrupamento.notaFiscal);
        cdsProdEtiq->SetRecNo(agrupamento.item);
    } catch (...) {
        guarda();
    }
    return true;
}

void TfrmConsDesEtiq::RetiraEtiquetaImprimivel(const QString& barcode)
{
    cdsRelEtiquetas->SetFiltered(false);
    if (cdsRelEtiquetas->Locate(QStringLiteral("CDCODBARRAETIQ"), {barcode}, TLocateOption::CaseInsensitive))
        cdsRelEtiquetas->Delete();
    cdsRelEtiquetas->SetFiltered(true);
}
