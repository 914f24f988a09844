#pragma once
// TRecordingUiServices: the service tests install instead of the Qt dialogs. It records every
// entry in order (kind, text or caption, owner), answers questions from a script (Answers, front
// first; No when the script is empty), chooses in list dialogs from ListAnswers (nullopt or an
// empty script cancels), searches in the find dialog from FindAnswers (an empty script cancels),
// and shows modal screens by making them visible, calling OnModal with the screen and then
// closing it (when OnModal has not closed it already). With WindowModality the screen is shown
// as the Qt service shows it, application-modal in its own event loop, and OnModal runs inside
// that loop.
//
// Install it for the length of a test with the scope: TRecordingUiServices ui; TUiServicesScope s(ui);

#include "framework/uiservices.h"

#include <QPointer>
#include <QQueue>
#include <QWidget>

#include <functional>
#include <optional>

enum class TUiEntryKind { Information, Question, Error, ProgressShow, ProgressHide, List, Find, Modal };

struct TUiEntry {
    TUiEntryKind kind;
    QString text;
    QPointer<QWidget> owner;
};

struct TFindAnswer {
    QString fieldName;
    QString value;
};

class TRecordingUiServices : public TUiServices {
public:
    void Information(QWidget* owner, const QString& text) override;
    bool Question(QWidget* owner, const QString& text) override;
    void Error(QWidget* owner, const QString& text) override;
    void ShowProgress(QWidget* owner, int kind, const QString& caption) override;
    void HideProgress() override;
    bool SelectFromList(QWidget* owner, TListRequest& request) override;
    void Find(QWidget* owner, TClientDataSet* dataSet) override;
    int ShowModal(TForm* form) override;

    QList<TUiEntry> Entries;
    QQueue<bool> Answers;
    QQueue<std::optional<QList<int>>> ListAnswers;
    QQueue<TFindAnswer> FindAnswers;
    std::function<void(TForm*)> OnModal;
    bool WindowModality = false;
    // The last list request, as the dialog would have shown it.
    TListRequest LastList;
    // Progress kinds passed to ShowProgress, in order.
    QList<int> ProgressKinds;

    // The texts of the entries of one kind, in order.
    QStringList Texts(TUiEntryKind kind) const;
    // Every entry as "kind: text", for readable failure output.
    QStringList Log() const;
    void Clear();

private:
    void Record(TUiEntryKind kind, const QString& text, QWidget* owner);
};

// Installs a service for its lifetime and restores the previous one afterwards.
class TUiServicesScope {
public:
    explicit TUiServicesScope(TUiServices& services);
    ~TUiServicesScope();
    TUiServicesScope(const TUiServicesScope&) = delete;
    TUiServicesScope& operator=(const TUiServicesScope&) = delete;

private:
    TUiServices* previous_;
};
