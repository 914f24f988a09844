#pragma once
// TRoadUiServices: the dialogs of the scripted road. Every message, question, error, progress
// caption and modal screen is recorded (TRecordingUiServices) and written to standard output
// as one line, prefixed with the step under way; questions are answered from the script
// (Answers, No when it is empty) and each answer is written too. A modal screen is shown and
// handed to OnModal, which works in it as the clerk would and closes it.

#include "framework/recordinguiservices.h"

#include <QString>

class TRoadUiServices : public TRecordingUiServices {
public:
    void Information(QWidget* owner, const QString& text) override;
    bool Question(QWidget* owner, const QString& text) override;
    void Error(QWidget* owner, const QString& text) override;
    void ShowProgress(QWidget* owner, int kind, const QString& caption) override;
    int ShowModal(TForm* form) override;

    // The prefix of the lines written ("passo 5"); empty writes none.
    QString Step;
    bool Quiet = false;

    QStringList Errors() const { return Texts(TUiEntryKind::Error); }

    // Writes one line of the road's log to standard output.
    void Say(const QString& line) const;
};
