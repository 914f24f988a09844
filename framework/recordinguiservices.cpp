#include "framework/recordinguiservices.h"

#include "framework/form.h"
#include "framework/procura.h"
#include "framework/qtuiservices.h"

#include <QTimer>

namespace {

TUiServices* installed = nullptr;

QString KindName(TUiEntryKind kind)
{
    switch (kind) {
    case TUiEntryKind::Information: return QStringLiteral("information");
    case TUiEntryKind::Question: return QStringLiteral("question");
    case TUiEntryKind::Error: return QStringLiteral("error");
    case TUiEntryKind::ProgressShow: return QStringLiteral("progress");
    case TUiEntryKind::ProgressHide: return QStringLiteral("progress hidden");
    case TUiEntryKind::List: return QStringLiteral("list");
    case TUiEntryKind::Find: return QStringLiteral("find");
    case TUiEntryKind::Modal: return QStringLiteral("modal");
    }
    return QString();
}

} // namespace

void TRecordingUiServices::Record(TUiEntryKind kind, const QString& text, QWidget* owner)
{
    Entries.append({kind, text, owner});
}

void TRecordingUiServices::Information(QWidget* owner, const QString& text)
{
    Record(TUiEntryKind::Information, text, owner);
}

bool TRecordingUiServices::Question(QWidget* owner, const QString& text)
{
    Record(TUiEntryKind::Question, text, owner);
    return Answers.isEmpty() ? false : Answers.dequeue();
}

void TRecordingUiServices::Error(QWidget* owner, const QString& text)
{
    Record(TUiEntryKind::Error, text, owner);
}

void TRecordingUiServices::ShowProgress(QWidget* owner, int kind, const QString& caption)
{
    ProgressKinds.append(kind);
    Record(TUiEntryKind::ProgressShow, caption, owner);
}

void TRecordingUiServices::HideProgress()
{
    Record(TUiEntryKind::ProgressHide, QString(), nullptr);
}

bool TRecordingUiServices::SelectFromList(QWidget* owner, TListRequest& request)
{
    Record(TUiEntryKind::List, request.title, owner);
    LastList = request;
    if (ListAnswers.isEmpty())
        return false;
    const std::optional<QList<int>> answer = ListAnswers.dequeue();
    if (!answer)
        return false;
    request.chosen = *answer;
    return true;
}

void TRecordingUiServices::Find(QWidget* owner, TClientDataSet* dataSet)
{
    Record(TUiEntryKind::Find, QString(), owner);
    if (FindAnswers.isEmpty() || !dataSet)
        return;
    const TFindAnswer answer = FindAnswers.dequeue();
    FindRecord(dataSet, answer.fieldName, answer.value, true);
}

int TRecordingUiServices::ShowModal(TForm* form)
{
    Record(TUiEntryKind::Modal, form->Caption(), form);
    QPointer<TForm> alive(form);
    const auto work = [this, alive] {
        if (alive && OnModal)
            OnModal(alive);
        if (alive && alive->isVisible())
            alive->Close();
    };
    if (WindowModality) {
        // The screen's own event loop, as the Qt service runs it; the scripted work runs in it.
        QTimer::singleShot(0, form, work);
        return TQtUiServices().ShowModal(form);
    }
    form->show();
    work();
    return alive ? alive->ModalResult() : 0;
}

QStringList TRecordingUiServices::Texts(TUiEntryKind kind) const
{
    QStringList texts;
    for (const TUiEntry& entry : Entries) {
        if (entry.kind == kind)
            texts.append(entry.text);
    }
    return texts;
}

QStringList TRecordingUiServices::Log() const
{
    QStringList log;
    for (const TUiEntry& entry : Entries)
        log.append(KindName(entry.kind) + QStringLiteral(": ") + entry.text);
    return log;
}

void TRecordingUiServices::Clear()
{
    Entries.clear();
    ProgressKinds.clear();
}

TUiServicesScope::TUiServicesScope(TUiServices& services) : previous_(installed)
{
    installed = &services;
    SetUiServices(&services);
}

TUiServicesScope::~TUiServicesScope()
{
    installed = previous_;
    SetUiServices(previous_);
}
