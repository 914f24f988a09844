#pragma once
// TfrmRelConsDesEtiq: the label report screen "Est99010" (report code "EST990"), a modal,
// resizable dialog opened from the query screen. Closing it clears its created flag, so that
// each opening builds a fresh screen; the base screen releases it.

#include "framework/frmdadosgerrel.h"

class TfrmRelConsDesEtiq : public TfrmDadosGerRel {
    Q_OBJECT
public:
    explicit TfrmRelConsDesEtiq(QWidget* owner = nullptr);
    ~TfrmRelConsDesEtiq() override;

    void FormClose(QObject* sender, TCloseAction& action) override;
};
