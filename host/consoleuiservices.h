#pragma once
// TConsoleUiServices: the dialogs of a client that runs with no one at the screen (screenshot
// mode). Information and errors are written to stderr (Failed() tells whether an error was
// shown); questions are answered No, list and find dialogs are cancelled, the progress window
// is not drawn, and modal screens are closed at once without showing. Nothing waits for input.

#include "framework/uiservices.h"

class TConsoleUiServices : public TUiServices {
public:
    void Information(QWidget* owner, const QString& text) override;
    bool Question(QWidget* owner, const QString& text) override;
    void Error(QWidget* owner, const QString& text) override;
    void ShowProgress(QWidget* owner, int kind, const QString& caption) override;
    void HideProgress() override;
    bool SelectFromList(QWidget* owner, TListRequest& request) override;
    void Find(QWidget* owner, TClientDataSet* dataSet) override;
    int ShowModal(TForm* form) override;

    bool Failed() const { return failed_; }

private:
    bool failed_ = false;
};
