// The query screen's barcode lookup: Enter in the product barcode edit finds the label among
// the current invoice's labels, makes its item current and selects it.

#include "screens/Cli_est99000/cli_est99000.h"

#include "screens/Cli_est99000/controlspause.h"

#include "framework/routines.h"
#include "framework/uiservices.h"
#include "labels/barcode.h"

void TfrmConsDesEtiq::edtCdBarProdKeyDown(QObject*, int& key, TShiftState)
{
    if (key != VK::Return)
        return;
    const QString barcode = edtCdBarProd->Text();
    const TBarcodeCheck check = CheckTypedBarcode(barcode);
    if (check == TBarcodeCheck::Ignored)
        return;
    try {
        if (check == TBarcodeCheck::Invalid)
            MensErro(msgPadrao.Msg(QLatin1String(kInvalidBarcodeKey)), true);
        const bool etiquetas = pgcPadrao->ActivePage() == tshFormulario;
        if (etiquetas)
            LocalizaEtiqueta(barcode);
        if (etiquetas)
            dbgEtiquetaGerada->setFocus();
        else
            dbgPadrao->setFocus();
    } catch (...) {
        edtCdBarProd->setFocus();
        throw;
    }
}

void TfrmConsDesEtiq::LocalizaEtiqueta(const QString& barcode)
{
    TControlsPause items(cdsProdEtiq);
    TControlsPause labels(cdsEtiqueta);
    const TBookmark current = cdsEtiqueta->GetBookmark();
    // All the invoice's labels are searched, not only the current item's.
    cdsEtiqueta->SetFiltered(false);
    if (cdsEtiqueta->Locate(QStringLiteral("CDCODBARRAETIQ"), {barcode}, TLocateOption::CaseInsensitive)) {
        const QString item = cdsEtiqueta->FieldByName(QStringLiteral("NRSEQITPROD"))->AsString();
        // Making the item current filters the labels to it again and starts the mark count anew.
        if (!cdsProdEtiq->Locate(QStringLiteral("NRSEQITPROD"), {item}, TLocateOption::CaseInsensitive))
            cdsProdEtiq->First();
        cdsEtiqueta->Locate(QStringLiteral("CDCODBARRAETIQ"), {barcode}, TLocateOption::CaseInsensitive);
        return;
    }
    // Back to the current item's labels and the label that was current before the message, so
    // that the grid never shows another item's labels behind it.
    cdsEtiqueta->SetFiltered(true);
    if (!current.IsNull() && cdsEtiqueta->BookmarkValid(current))
        cdsEtiqueta->GotoBookmark(current);
    UiServices().Information(this, msgPadrao.Msg(QLatin1String(kBarcodeNotFoundKey)));
}
