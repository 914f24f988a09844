// The query screen's command rules and its small commands: which commands the state allows,
// opening the split screen on the marked label and the report screen.

#include "screens/Cli_est99000/cli_est99000.h"

#include "labels/labelcodes.h"
#include "package/pkg_est99000.h"

void TfrmConsDesEtiq::ControlaBotoes()
{
    const bool etiquetas = pgcPadrao->ActivePage() == tshFormulario;
    btnDesmembrar->setEnabled(etiquetas && inEtiqMark == 1);
    btnAgrupar->setEnabled(etiquetas && inEtiqMark > 1);
    sbtImprimir->setEnabled(etiquetas && !cdsEtiqueta->IsEmpty());
    mniImprimir->setEnabled(sbtImprimir->isEnabled());
    mniVisualizar->setEnabled(sbtImprimir->isEnabled());

    // Each grid's find needs the other grid's rows: labels need items, items need labels.
    const QWidget* focused = focusWidget();
    const bool procurar = etiquetas ? (focused == dbgEtiquetaGerada && !cdsProdEtiq->IsEmpty())
                                          || (focused == dbgItemProduto && !cdsEtiqueta->IsEmpty())
                                    : focused == dbgPadrao;
    sbtProcurar->setEnabled(procurar);
    mniProcurar->setEnabled(procurar);
}

void TfrmConsDesEtiq::dtsPadraoStateChange(QObject* sender)
{
    TfrmPadrao::dtsPadraoStateChange(sender);
    // Invoices come from the server and are never inserted, changed or deleted here.
    for (QAction* entry : {mniIncluir, mniAlterar, mniExcluir})
        entry->setEnabled(false);
    for (TSpeedButton* button : {sbtIncluir, sbtAlterar, sbtExcluir})
        button->setEnabled(false);
    ControlaBotoes();
}

void TfrmConsDesEtiq::btnDesmembrarClick(QObject*)
{
    // The split screen works on the current label: the first marked one in the grid's order.
    cdsEtiqueta->Locate(QStringLiteral("IDCHECK"), {QLatin1String(kMarcada)}, TLocateOption::CaseInsensitive);
    CriaFrmDesmembra();
}

void TfrmConsDesEtiq::sbtImprimirClick(QObject*)
{
    CriaRelConsDesEtiq();
}
