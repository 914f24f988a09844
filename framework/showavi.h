#pragma once
// The progress animation around server calls and long operations.
// ActiveShowAvi(screen, kind, text) shows the progress window with the caption and the animation
// of the kind (1 receiving data, 6 generating labels or updating the server); calls nest: a call
// while the window is up re-captions it and adds one to the nesting count. DeactiveShowAvi()
// takes one off; the window goes away when the count reaches zero (a call at zero does nothing).
// TShowAviScope pairs the two for a block, so the window never stays up when the block throws.
// ResetShowAvi() takes the window away whatever the count (the event guard's safety net).
// TShowAviProgress is the progress of the label server calls over one screen, through the same
// window: Begin shows it, End takes one off.

#include "labels/callprogress.h"

#include <QString>

class QWidget;

void ActiveShowAvi(QWidget* screen, int kind, const QString& text);
void DeactiveShowAvi();
void ResetShowAvi();
int ShowAviDepth();

class TShowAviScope {
public:
    TShowAviScope(QWidget* screen, int kind, const QString& text);
    ~TShowAviScope();
    TShowAviScope(const TShowAviScope&) = delete;
    TShowAviScope& operator=(const TShowAviScope&) = delete;

private:
    int depth_;
};

class TShowAviProgress : public TCallProgress {
public:
    explicit TShowAviProgress(QWidget* screen) : screen_(screen) {}

    void Begin(int kind, const QString& caption) override { ActiveShowAvi(screen_, kind, caption); }
    void End() override { DeactiveShowAvi(); }

private:
    QWidget* screen_;
};
