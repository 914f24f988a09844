// The query screen's barcode lookup: Enter in the product barcode edit finds the label among
// the current invoice's labels, makes its item current and selects it.

#include "screens/Cli_est99000/cli_est99000.h"

#include "framework/routines.h"
#include "framework/uiservices.h"
#include "labels/barcode.h"
#include "platform/controlspause.h"

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
        if (pgcPadrao->ActivePage() != tshFormulario) {
            dbgPadrao->setFocus();
            return;
        }
        if (!SelecionaEtiqueta(barcode))
            UiServices().Information(this, msgPadrao.Msg(QLatin1String(kBarcodeNotFoundKey)));
        // Back to the labels for the next mark or scan; the invoice is not read again, so the
        // marks, the counter and the current item and label stay as they are.
        FocaEtiquetas(false);
    } catch (...) {
        edtCdBarProd->setFocus();
        throw;
    }
}

bool TfrmConsDesEtiq::SelecionaEtiqueta(const QString& barcode)
{
    TControlsPause items(cdsProdEtiq);
    TControlsPause labels(cdsEtiqueta);
    const TBookmark current = cdsEtiqueta->GetBookmark();
    // All the invoice's labels are searched, not only the current item's.
    cdsEtiqueta->SetFiltered(false);
    if (cdsEtiqueta->Locate(QStringLiteral("CDCODBARRAETIQ"), {barcode}, TLocateOption::CaseInsensitive)) {
        const QString item = cdsEtiqueta->FieldByName(QStringLiteral("NRSEQITPROD"))->AsString();
        // Making the item current filters the labels to it again.
        if (!cdsProdEtiq->Locate(QStringLiteral("NRSEQITPROD"), {item}, TLocateOption::CaseInsensitive))
            cdsProdEtiq->First();
        cdsEtiqueta->Locate(QStringLiteral("CDCODBARRAETIQ"), {barcode}, TLocateOption::CaseInsensitive);
        return true;
    }
    // Back to the current item's labels and the label that was current, so that the grid never
    // shows another item's labels and nothing is selected anew.
    cdsEtiqueta->SetFiltered(true);
    if (!current.IsNull() && cdsEtiqueta->BookmarkValid(current))
        cdsEtiqueta->GotoBookmark(current);
    return false;
}

void TfrmConsDesEtiq::dbgEtiquetaGeradaKeyPress(QObject*, QChar& key)
{
    // A scanner types the next barcode while the label grid has the focus: its first digit
    // replaces the edit's text and the rest, Enter included, goes to the edit, which looks it up.
    if (!key.isDigit() || key.unicode() > 127)
        return;
    edtCdBarProd->setText(QString(key));
    key = QChar(0);
    edtCdBarProd->setFocus();
}

void TfrmConsDesEtiq::FocaEtiquetas(bool naMarca)
{
    const bool antes = focoProprio_;
    focoProprio_ = true;
    try {
        if (naMarca)
            FocaMarcaDaEtiqueta();
        else
            dbgEtiquetaGerada->setFocus();
    } catch (...) {
        focoProprio_ = antes;
        throw;
    }
    focoProprio_ = antes;
}
