// The query screen's items and labels: fetching the current invoice's items and labels from
// the server, keeping the label grid on the current item's labels, building the printable-label
// list, and selecting a scanned label when the page "Produto/Etiqueta" is entered.

#include "screens/Cli_est99000/cli_est99000.h"

#include "framework/routines.h"
#include "labels/barcode.h"
#include "labels/callprogress.h"
#include "labels/consdesetiqserver.h"
#include "labels/labelcodes.h"
#include "labels/printablelabels.h"
#include "package/pkg_est99000.h"
#include "platform/controlspause.h"

#include <QApplication>

namespace {

constexpr int kReceivingKind = 1;

QString Text(const TClientDataSet* set, const char* field)
{
    return set->FieldByName(QLatin1String(field))->AsString();
}

// Lends the screen's progress window to the item and label read: the call shows nothing of its
// own, and the window goes when the whole read is over, also when it fails.
class TProgressoRetido : public TCallProgress {
public:
    TProgressoRetido(TCallProgress& window, const QString& caption) : window_(window)
    {
        window_.Begin(kReceivingKind, caption);
    }
    ~TProgressoRetido() override { window_.End(); }
    TProgressoRetido(const TProgressoRetido&) = delete;
    TProgressoRetido& operator=(const TProgressoRetido&) = delete;

    void Begin(int, const QString&) override {}
    void End() override {}

private:
    TCallProgress& window_;
};

} // namespace

void TfrmConsDesEtiq::GetProdEtiq()
{
    notaLida_.clear();
    // The progress window stays up until the printable-label walk and the buffer load are over,
    // not only while the server answers: the screen is not ready before.
    TProgressoRetido progresso(progress_, msgPadrao.Msg(QStringLiteral("GetDados")));
    TDataPacket labels;
    {
        // Both grids repaint once, when the load and the walk are over, also when either fails.
        TControlsPause items(cdsProdEtiq);
        TControlsPause itemLabels(cdsEtiqueta);
        TConsDesEtiqServer server(*netConsDesEtiq, progresso);
        try {
            labels = server.GetProduto(Text(cdsNotaFiscal, "CDFILIAL"), Text(cdsNotaFiscal, "NRLANCTONF"),
                                       *cdsProdEtiq, *cdsEtiqueta);
        } catch (...) {
            EsqueceOutraNota();
            throw;
        }
        cdsEtiqueta->First();
        // Moving the item cursor limits the labels to that item's, so the inner walk sees them only.
        for (cdsProdEtiq->First(); !cdsProdEtiq->Eof(); cdsProdEtiq->Next()) {
            for (cdsEtiqueta->First(); !cdsEtiqueta->Eof(); cdsEtiqueta->Next()) {
                if (Text(cdsEtiqueta, "IDSTATUSETIQ") == QLatin1String(kStatusAtiva))
                    IncluiEtiquetaImprimivel();
            }
        }
        cdsProdEtiq->First();
        cdsEtiqueta->First();
    }
    cdsAuxEtiqueta->LoadPacket(labels);
    notaLida_ = ChaveNotaCorrente();
}

QString TfrmConsDesEtiq::ChaveNotaCorrente() const
{
    if (!cdsNotaFiscal->Active() || cdsNotaFiscal->IsEmpty())
        return QString();
    return Text(cdsNotaFiscal, "CDFILIAL") + QLatin1Char('|') + Text(cdsNotaFiscal, "NRLANCTONF");
}

bool TfrmConsDesEtiq::LeNotaSeMudou()
{
    if (!notaLida_.isEmpty() && notaLida_ == ChaveNotaCorrente())
        return false;
    GetProdEtiq();
    return true;
}

void TfrmConsDesEtiq::EsqueceOutraNota()
{
    if (cdsProdEtiq->IsEmpty() || (Text(cdsProdEtiq, "CDFILIAL") == Text(cdsNotaFiscal, "CDFILIAL") &&
                                   Text(cdsProdEtiq, "NRLANCTONF") == Text(cdsNotaFiscal, "NRLANCTONF")))
        return;
    for (TClientDataSet* set : {cdsProdEtiq, cdsEtiqueta, cdsAuxEtiqueta})
        set->EmptyDataSet();
    ControlaBotoes();
}

void TfrmConsDesEtiq::IncluiEtiquetaImprimivel()
{
    const QString barcode = Text(cdsEtiqueta, "CDCODBARRAETIQ");
    if (cdsRelEtiquetas->Locate(QStringLiteral("CDCODBARRAETIQ"), {barcode}, TLocateOption::CaseInsensitive))
        return;
    const auto value = [this](const char* field) { return cdsEtiqueta->FieldByName(QLatin1String(field))->Value(); };
    AppendPrintableLabel(
        *cdsRelEtiquetas, *cdsProdEtiq, *cdsNotaFiscal,
        {QLatin1String(kDesmarcada), value("VRPESOETIQ"), value("QTETIQPROD"), value("CDCODBARRAETIQ")});
}

void TfrmConsDesEtiq::FiltraEtiquetasDoItem()
{
    const QString filter = ItemFilterText(Text(cdsProdEtiq, "NRSEQITPROD"));
    for (TClientDataSet* set : {cdsEtiqueta, cdsRelEtiquetas}) {
        set->SetFiltered(false);
        set->SetFilter(filter);
        set->SetFiltered(true);
    }
}

void TfrmConsDesEtiq::cdsProdEtiqAfterScroll(TClientDataSet*)
{
    FiltraEtiquetasDoItem();
    // The mark count follows the item's labels: ControlaBotoes counts the marks they show.
    ControlaBotoes();
}

void TfrmConsDesEtiq::cdsNotaFiscalAfterScroll(TClientDataSet*)
{
    // Another invoice (or the same one listed anew) is current: what is loaded no longer answers it.
    notaLida_.clear();
    inEtiqMark = 0;
    cdsRelEtiquetas->EmptyDataSet();
    if (pgcPadrao->ActivePage() != tshFormulario)
        return;
    GetProdEtiq();
    ControlaBotoes();
}

void TfrmConsDesEtiq::tshFormularioEnter(QObject*)
{
    // The screen's own focus moves (the lookup's, the grouping's) are no entry of the clerk.
    if (focoProprio_)
        return;
    // Read again only when another invoice is current since the last read: marks, the current
    // item and the current label set since then are the clerk's work and stay.
    LeNotaSeMudou();
    const QString barcode = edtCdBarProd->Text();
    if (CheckTypedBarcode(barcode) != TBarcodeCheck::Accepted)
        return;
    if (SelecionaEtiqueta(barcode))
        FocaMarcaDaEtiqueta();
}

void TfrmConsDesEtiq::dtsEtiquetaStateChange(QObject*)
{
    ControlaBotoes();
}

void TfrmConsDesEtiq::pgcPadraoChange(QObject* sender)
{
    TfrmPadrao::pgcPadraoChange(sender);
    // The page shows the current invoice's items also when the focus does not come into it
    // (it stayed in a menu or in the barcode edit, say), so that no other invoice's items stand
    // under its footer. With the focus in it, its entry has read them already (or failed to).
    if (pgcPadrao->ActivePage() == tshFormulario && !tshFormulario->isAncestorOf(QApplication::focusWidget()))
        LeNotaSeMudou();
    ControlaBotoes();
}
