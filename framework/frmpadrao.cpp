#include "framework/frmpadrao.h"

#include <QVBoxLayout>

TfrmPadrao::TfrmPadrao(QWidget* owner) : TfrmPadraoBase(owner)
{
    pgcPadrao = new TCustomPageControl98(this, QStringLiteral("pgcPadrao"));
    tshFolhaDados = new TTabSheet(pgcPadrao, QStringLiteral("Dados"), QStringLiteral("tshFolhaDados"));
    tshFormulario = new TTabSheet(pgcPadrao, QStringLiteral("Formulário"), QStringLiteral("tshFormulario"));
    auto* sheet = new QVBoxLayout(tshFolhaDados);
    sheet->setContentsMargins(2, 2, 2, 2);
    dbgPadrao->setParent(tshFolhaDados);
    sheet->addWidget(dbgPadrao);
    pgcPadrao->OnChange = [this](QObject* sender) { pgcPadraoChange(sender); };
    SetMainArea(pgcPadrao);
}

void TfrmPadrao::FormShow(QObject*)
{
    pgcPadrao->SetActivePage(tshFolhaDados);
}

void TfrmPadrao::pgcPadraoChange(QObject*) {}
