#include "framework/showavi.h"

#include "framework/uiservices.h"

namespace {

int depth = 0;

} // namespace

void ActiveShowAvi(QWidget* screen, int kind, const QString& text)
{
    ++depth;
    UiServices().ShowProgress(screen, kind, text);
}

void DeactiveShowAvi()
{
    if (depth == 0)
        return;
    if (--depth == 0)
        UiServices().HideProgress();
}

void ResetShowAvi()
{
    if (depth == 0)
        return;
    depth = 0;
    UiServices().HideProgress();
}

int ShowAviDepth()
{
    return depth;
}

TShowAviScope::TShowAviScope(QWidget* screen, int kind, const QString& text)
{
    ActiveShowAvi(screen, kind, text);
    depth_ = depth;
}

TShowAviScope::~TShowAviScope()
{
    // A reset inside the block has already taken the window away.
    if (depth >= depth_)
        DeactiveShowAvi();
}
