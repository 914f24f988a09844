#pragma once
// TShowAviProgress: the progress animation of the label server calls, shown over one screen
// through the framework's ActiveShowAvi and taken away by DeactiveShowAvi. The server calls
// begin it before they call and end it afterwards, also when the call fails.

#include "labels/callprogress.h"

class QWidget;

class TShowAviProgress : public TCallProgress {
public:
    explicit TShowAviProgress(QWidget* screen) : screen_(screen) {}

    void Begin(int kind, const QString& caption) override;
    void End() override;

private:
    QWidget* screen_;
};
