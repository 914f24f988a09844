#include "screens/Cli_est99020/cli_est99020.h"

#include "labels/messagetables.h"
#include "package/pkg_est99000.h"

TfrmDesmembramento::TfrmDesmembramento(QWidget* owner) : TfrmPadraoGrid(owner)
{
    setObjectName(QStringLiteral("frmDesmembramento"));
    SetCaption(QStringLiteral("Desmembramento"));
    lblCodTela->setText(QStringLiteral("Est99020"));
    msgPadrao.SetItems(MensagensDesmembramento());
    SetClientSize(558, 396);
    SetFixedBorder(true);
}

TfrmDesmembramento::~TfrmDesmembramento()
{
    if (frmDesmembramento != this)
        return;
    frmDesmembramento = nullptr;
    boStCriado = false;
}

void TfrmDesmembramento::FormClose(QObject* sender, TCloseAction& action)
{
    boStCriado = false;
    TfrmPadraoGrid::FormClose(sender, action);
}
