#include "host/consoleuiservices.h"

#include "framework/form.h"

#include <cstdio>

void TConsoleUiServices::Information(QWidget*, const QString& text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

bool TConsoleUiServices::Question(QWidget*, const QString& text)
{
    std::fprintf(stderr, "%s (Não)\n", qPrintable(text));
    return false;
}

void TConsoleUiServices::Error(QWidget*, const QString& text)
{
    failed_ = true;
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

void TConsoleUiServices::ShowProgress(QWidget*, int, const QString&) {}

void TConsoleUiServices::HideProgress() {}

bool TConsoleUiServices::SelectFromList(QWidget*, TListRequest&)
{
    return false;
}

void TConsoleUiServices::Find(QWidget*, TClientDataSet*) {}

int TConsoleUiServices::ShowModal(TForm* form)
{
    form->Close();
    return 0;
}
