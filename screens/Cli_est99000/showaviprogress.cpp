#include "screens/Cli_est99000/showaviprogress.h"

#include "framework/showavi.h"

void TShowAviProgress::Begin(int kind, const QString& caption)
{
    ActiveShowAvi(screen_, kind, caption);
}

void TShowAviProgress::End()
{
    DeactiveShowAvi();
}
