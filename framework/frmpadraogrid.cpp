#include "framework/frmpadraogrid.h"

TfrmPadraoGrid::TfrmPadraoGrid(QWidget* owner) : TfrmPadraoBase(owner)
{
    SetMainArea(dbgPadrao);
}
