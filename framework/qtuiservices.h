#pragma once
// TQtUiServices: the services as a person meets them: Qt message boxes with Portuguese buttons
// ("OK", "Sim", "Não"), the progress window, the list and find dialogs, and modal screens run in
// their own event loop until they close.

#include "framework/uiservices.h"

class TQtUiServices : public TUiServices {
public:
    TQtUiServices();
    ~TQtUiServices() override;

    void Information(QWidget* owner, const QString& text) override;
    bool Question(QWidget* owner, const QString& text) override;
    void Error(QWidget* owner, const QString& text) override;
    void ShowProgress(QWidget* owner, int kind, const QString& caption) override;
    void HideProgress() override;
    bool SelectFromList(QWidget* owner, TListRequest& request) override;
    void Find(QWidget* owner, TClientDataSet* dataSet) override;
    int ShowModal(TForm* form) override;

private:
    bool cursorSet_ = false;
};
