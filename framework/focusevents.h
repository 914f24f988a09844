#pragma once
// TFocusEvents: the enter and exit events of a control or container (panel, group box, page
// control, page, grid, edit). A widget class that also derives from TFocusEvents hears, through
// the application's focus changes, when the focus comes into it or one of its children (OnEnter)
// and when it leaves it for a control outside (OnExit). Per screen, exits run innermost first,
// then enters outermost first, each through the event guard. Focus moving to another window
// (a dialog, another screen) exits nothing; coming back enters nothing that was not left.
// An exit handler that ends with an error (MensErro with stop included) cancels the move: the
// container stays entered, no enter runs, and the focus goes back to where it was unless the
// handler put it somewhere itself.

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

class TFocusEvents {
public:
    TFocusEvents();
    virtual ~TFocusEvents() = default;

    std::function<void(QObject* sender)> OnEnter;
    std::function<void(QObject* sender)> OnExit;

    // Called by the focus tracker; widgets override to add their own work, then call these.
    virtual void DoEnter(QWidget* self);
    virtual void DoExit(QWidget* self);
};

// Follows QApplication::focusChanged and raises the enter and exit events. Installed on first use.
class TFocusTracker : public QObject {
    Q_OBJECT
public:
    static TFocusTracker& Instance();

private:
    TFocusTracker();
    void FocusChanged(QWidget* old, QWidget* now);
    void Process(QWidget* old, QWidget* now);

    struct Entered {
        QPointer<QWidget> screen;
        QList<QPointer<QWidget>> chain;  // outermost first
    };
    Entered& StateOf(QWidget* screen);

    QList<Entered> states_;
    bool busy_ = false;
    bool moved_ = false;
};
