#pragma once
// TUiServices: every effect a person sees and answers goes through this one service, so tests
// can replace it and read what was shown: information with OK, question with Yes/No, the error
// box, the progress animation, the multi-selection list dialog, the find dialog and showing a
// screen modally. UiServices() returns the service in force (the Qt dialogs unless a test or the
// host set another with SetUiServices; the caller keeps ownership of what it sets).

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;
class TClientDataSet;
class TForm;

// A multi-selection list: column titles, one row of display texts per record, and the rows that
// start out chosen (one row at most
// with singleChoice). On OK the dialog writes the chosen rows (indexes into rows) to chosen.
struct TListRequest {
    QString title;
    bool singleChoice = false;
    QStringList columns;
    QList<QStringList> rows;
    QList<int> chosen;
};

class TUiServices {
public:
    virtual ~TUiServices() = default;

    virtual void Information(QWidget* owner, const QString& text) = 0;
    // True only when the person answers Yes.
    virtual bool Question(QWidget* owner, const QString& text) = 0;
    virtual void Error(QWidget* owner, const QString& text) = 0;
    // Shows (or re-captions) the progress window; HideProgress takes it away.
    virtual void ShowProgress(QWidget* owner, int kind, const QString& caption) = 0;
    virtual void HideProgress() = 0;
    // False when the person cancels; request.chosen is then left as it was.
    virtual bool SelectFromList(QWidget* owner, TListRequest& request) = 0;
    // Lets the person search the record set; a found row stays current.
    virtual void Find(QWidget* owner, TClientDataSet* dataSet) = 0;
    // Shows the screen modally and returns when it has closed; the result is its modal result.
    virtual int ShowModal(TForm* form) = 0;
};

TUiServices& UiServices();
// nullptr restores the Qt dialogs.
void SetUiServices(TUiServices* services);
