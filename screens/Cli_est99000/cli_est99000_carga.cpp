// The query screen's items and labels: fetching the current invoice's items and labels from
// the server, keeping the label grid on the current item's labels, building the printable-label
// list, and selecting a scanned label when the page "Produto/Etiqueta" is entered.

#include "screens/Cli_est99000/cli_est99000.h"

#include "screens/Cli_est99000/controlspause.h"

#include "framework/routines.h"
#include "labels/barcode.h"
#include "labels/consdesetiqserver.h"
#include "labels/labelcodes.h"
#include "package/pkg_est99000.h"

namespace {

QString Text(const TClientDataSet* set, const char* field)
{
    return set->FieldByName(QLatin1String(field))->AsString();
}

void Copy(TClientDataSet* to, const TClientDataSet* from, const char* field)
{
    to->FieldByName(QLatin1String(field))->SetValue(from->FieldByName(QLatin1String(field))->Value());
}

} // namespace

void TfrmConsDesEtiq::GetProdEtiq()
{
    TDataPacket labels;
    {
        // Both grids repaint once, when the load and the walk are over, also when either fails.
        TControlsPause items(cdsProdEtiq);
        TControlsPause itemLabels(cdsEtiqueta);
        TConsDesEtiqServer server(*netConsDesEtiq, progress_);
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
    cdsRelEtiquetas->Append();
    cdsRelEtiquetas->FieldByName(QStringLiteral("IDCHECK"))->SetAsString(QLatin1String(kDesmarcada));
    for (const char* field : {"NMPRODUTO", "LOTESUBLOTE", "DTVALILOTE", "NRSEQITPROD", "SGUNIDADE", "CDARVPROD"})
        Copy(cdsRelEtiquetas, cdsProdEtiq, field);
    for (const char* field : {"NRNOTAFISC", "CDSERIEENTR"})
        Copy(cdsRelEtiquetas, cdsNotaFiscal, field);
    for (const char* field : {"VRPESOETIQ", "QTETIQPROD", "CDCODBARRAETIQ"})
        Copy(cdsRelEtiquetas, cdsEtiqueta, field);
    cdsRelEtiquetas->Post();
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
    // Marks set on other items stay in the data; only the count starts again.
    inEtiqMark = 0;
    ControlaBotoes();
}

void TfrmConsDesEtiq::cdsNotaFiscalAfterScroll(TClientDataSet*)
{
    inEtiqMark = 0;
    cdsRelEtiquetas->EmptyDataSet();
    if (pgcPadrao->ActivePage() != tshFormulario)
        return;
    GetProdEtiq();
    ControlaBotoes();
}

void TfrmConsDesEtiq::tshFormularioEnter(QObject*)
{
    GetProdEtiq();
    const QString barcode = edtCdBarProd->Text();
    if (CheckTypedBarcode(barcode) != TBarcodeCheck::Accepted)
        return;
    cdsEtiqueta->SetFiltered(false);
    if (!cdsEtiqueta->Locate(QStringLiteral("CDCODBARRAETIQ"), {barcode}, TLocateOption::CaseInsensitive)) {
        cdsProdEtiq->First();
        return;
    }
    // Making the label's item current filters the labels to that item again.
    if (!cdsProdEtiq->Locate(QStringLiteral("NRSEQITPROD"), {Text(cdsEtiqueta, "NRSEQITPROD")},
                             TLocateOption::CaseInsensitive))
        cdsProdEtiq->First();
    cdsEtiqueta->Locate(QStringLiteral("CDCODBARRAETIQ"), {barcode}, TLocateOption::CaseInsensitive);
    FocaMarcaDaEtiqueta();
}

void TfrmConsDesEtiq::dtsEtiquetaStateChange(QObject*)
{
    ControlaBotoes();
}

void TfrmConsDesEtiq::pgcPadraoChange(QObject* sender)
{
    TfrmPadrao::pgcPadraoChange(sender);
    ControlaBotoes();
}
