#pragma once
// Mouse clicks sent through the window system, as a person's mouse sends them: a window that
// the application still holds blocked behind a modal screen drops such a click before any
// widget sees it (a click sent straight to the widget would get through regardless).

#include <QEvent>
#include <QObject>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <optional>

// A point of the widget where none of its children lies (the bare panel of a tool bar).
inline std::optional<QPoint> BareSpot(QWidget* widget)
{
    const int y = widget->height() / 2;
    for (int x = widget->width() - 2; x > 0; --x) {
        if (!widget->childAt(x, y))
            return QPoint(x, y);
    }
    return std::nullopt;
}

// Clicks the widget at the point (its centre by default) through its window and tells whether
// the press reached it.
inline bool WindowClickReaches(QWidget* target, std::optional<QPoint> at = std::nullopt)
{
    struct PressCounter : QObject {
        int presses = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::MouseButtonPress)
                ++presses;
            return false;
        }
    } counter;
    QWidget* window = target->window();
    if (!window->windowHandle() || !target->isVisible())
        return false;
    target->installEventFilter(&counter);
    const QPoint point = target->mapTo(window, at.value_or(target->rect().center()));
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, point);
    target->removeEventFilter(&counter);
    return counter.presses > 0;
}
