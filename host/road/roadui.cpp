#include "host/road/roadui.h"

#include "framework/form.h"

#include <cstdio>

void TRoadUiServices::Say(const QString& line) const
{
    if (Quiet)
        return;
    const QString text = Step.isEmpty() ? line : QStringLiteral("[%1] %2").arg(Step, line);
    std::fprintf(stdout, "%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

void TRoadUiServices::Information(QWidget* owner, const QString& text)
{
    Say(QStringLiteral("mensagem: ") + text);
    TRecordingUiServices::Information(owner, text);
}

bool TRoadUiServices::Question(QWidget* owner, const QString& text)
{
    const bool yes = TRecordingUiServices::Question(owner, text);
    Say(QStringLiteral("pergunta: %1 -> %2").arg(text, yes ? QStringLiteral("Sim") : QStringLiteral("Não")));
    return yes;
}

void TRoadUiServices::Error(QWidget* owner, const QString& text)
{
    Say(QStringLiteral("erro: ") + text);
    TRecordingUiServices::Error(owner, text);
}

void TRoadUiServices::ShowProgress(QWidget* owner, int kind, const QString& caption)
{
    Say(QStringLiteral("aguarde: ") + caption);
    TRecordingUiServices::ShowProgress(owner, kind, caption);
}

int TRoadUiServices::ShowModal(TForm* form)
{
    Say(QStringLiteral("tela aberta: ") + form->Caption());
    const int result = TRecordingUiServices::ShowModal(form);
    Say(QStringLiteral("tela fechada"));
    return result;
}
