#pragma once
// TfrmPadraoGrid: the host's grid screen: the grid dbgPadrao on dtsPadrao fills the main area
// between the screen's own panels; the commands and the footer come from TfrmPadraoBase.

#include "framework/frmpadraobase.h"

class TfrmPadraoGrid : public TfrmPadraoBase {
    Q_OBJECT
public:
    explicit TfrmPadraoGrid(QWidget* owner = nullptr);
};
