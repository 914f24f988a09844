#pragma once
// TfrmPadrao: the host's record screen with two pages: the page control pgcPadrao holds
// tshFolhaDados ("Dados", the grid dbgPadrao on dtsPadrao) and tshFormulario ("Formulário",
// the record's own controls). pgcPadraoChange runs when the person changes the page (nothing in
// the base); FormShow makes tshFolhaDados current. Everything else comes from TfrmPadraoBase.

#include "framework/custompagecontrol98.h"
#include "framework/frmpadraobase.h"
#include "framework/tabsheet.h"

class TfrmPadrao : public TfrmPadraoBase {
    Q_OBJECT
public:
    explicit TfrmPadrao(QWidget* owner = nullptr);

    void FormShow(QObject* sender) override;
    virtual void pgcPadraoChange(QObject* sender);

    TCustomPageControl98* pgcPadrao;
    TTabSheet* tshFolhaDados;
    TTabSheet* tshFormulario;
};
