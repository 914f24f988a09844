#pragma once
// TfrmDesmembramento: the label split screen "Est99020", a modal dialog with a fixed border
// opened from the query screen for its current label. Closing it clears its created flag, so
// that each opening builds a fresh screen; the base screen then releases it.

#include "framework/frmpadraogrid.h"

class TfrmDesmembramento : public TfrmPadraoGrid {
    Q_OBJECT
public:
    explicit TfrmDesmembramento(QWidget* owner = nullptr);
    ~TfrmDesmembramento() override;

    void FormClose(QObject* sender, TCloseAction& action) override;
};
