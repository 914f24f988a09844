#include "screens/Cli_est99010/cli_est99010.h"

#include "labels/messagetables.h"
#include "package/pkg_est99000.h"

TfrmRelConsDesEtiq::TfrmRelConsDesEtiq(QWidget* owner) : TfrmDadosGerRel(owner)
{
    setObjectName(QStringLiteral("frmRelConsDesEtiq"));
    SetCaption(QStringLiteral("Consulta Etiquetas"));
    lblCodTela->setText(QStringLiteral("Est99010"));
    lblCodRel->setText(QStringLiteral("EST990"));
    msgPadrao.SetItems(MensagensRelatorio());
    SetClientSize(824, 461);
    SetFixedBorder(false);
}

TfrmRelConsDesEtiq::~TfrmRelConsDesEtiq()
{
    if (frmRelConsDesEtiq != this)
        return;
    frmRelConsDesEtiq = nullptr;
    boIdCriado = false;
}

void TfrmRelConsDesEtiq::FormClose(QObject* sender, TCloseAction& action)
{
    TfrmDadosGerRel::FormClose(sender, action);
    boIdCriado = false;
}
