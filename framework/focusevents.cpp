#include "framework/focusevents.h"

#include "framework/eventguard.h"
#include "framework/form.h"

#include <QApplication>

namespace {

TFocusEvents* EventsOf(QWidget* widget)
{
    return dynamic_cast<TFocusEvents*>(widget);
}

// The screen a widget belongs to: its nearest TForm, else its window.
QWidget* ScreenOf(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (qobject_cast<TForm*>(w))
            return w;
        if (w->isWindow())
            return w;
    }
    return nullptr;
}

QList<QWidget*> ChainOf(QWidget* widget, QWidget* screen)
{
    QList<QWidget*> chain;
    for (QWidget* w = widget; w && w != screen; w = w->parentWidget()) {
        if (EventsOf(w))
            chain.prepend(w);
    }
    return chain;
}

} // namespace

TFocusEvents::TFocusEvents()
{
    TFocusTracker::Instance();
}

void TFocusEvents::DoEnter(QWidget* self)
{
    if (OnEnter)
        OnEnter(self);
}

void TFocusEvents::DoExit(QWidget* self)
{
    if (OnExit)
        OnExit(self);
}

TFocusTracker& TFocusTracker::Instance()
{
    static TFocusTracker* tracker = new TFocusTracker;
    return *tracker;
}

TFocusTracker::TFocusTracker() : QObject(qApp)
{
    connect(qApp, &QApplication::focusChanged, this, &TFocusTracker::FocusChanged);
}

TFocusTracker::Entered& TFocusTracker::StateOf(QWidget* screen)
{
    states_.removeIf([](const Entered& state) { return state.screen.isNull(); });
    for (Entered& state : states_) {
        if (state.screen == screen)
            return state;
    }
    Entered state;
    state.screen = screen;
    states_.append(state);
    return states_.last();
}

void TFocusTracker::FocusChanged(QWidget* old, QWidget* now)
{
    if (busy_) {
        moved_ = true;  // a handler moved the focus: settled when it returns
        return;
    }
    Process(old, now);
}

void TFocusTracker::Process(QWidget* old, QWidget* now)
{
    // A handler that keeps moving the focus could chase it forever: a few rounds settle any real case.
    for (int round = 0; now && round < 8; ++round) {
        QWidget* screen = ScreenOf(now);
        const QList<QWidget*> target = ChainOf(now, screen);
        bool failed = false;
        busy_ = true;
        moved_ = false;
        // Exits: the entered containers that do not hold the new focus, innermost first.
        for (;;) {
            QList<QPointer<QWidget>>& chain = StateOf(screen).chain;
            chain.removeAll(nullptr);
            if (chain.isEmpty() || target.contains(chain.last().data()))
                break;
            QWidget* leaving = chain.last();
            if (!RunGuarded([&] { EventsOf(leaving)->DoExit(leaving); }, leaving)) {
                failed = true;
                break;
            }
            StateOf(screen).chain.removeAll(leaving);
            if (moved_)
                break;
        }
        // Enters: the containers of the new focus not yet entered, outermost first.
        for (int i = 0; !failed && !moved_ && i < target.size(); ++i) {
            QList<QPointer<QWidget>>& chain = StateOf(screen).chain;
            if (chain.contains(target.at(i)))
                continue;
            chain.append(target.at(i));
            QWidget* entering = target.at(i);
            RunGuarded([&] { EventsOf(entering)->DoEnter(entering); }, entering);
        }
        busy_ = false;
        if (moved_) {
            old = nullptr;
            now = QApplication::focusWidget();
            continue;
        }
        if (failed && old && ScreenOf(old) == screen && old->isVisible() && old->isEnabled()) {
            now = old;
            old = nullptr;
            busy_ = true;
            now->setFocus(Qt::OtherFocusReason);
            busy_ = false;
            continue;
        }
        return;
    }
}
