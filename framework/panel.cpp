#include "framework/panel.h"

#include <QApplication>
#include <QKeyEvent>

TPanel::TPanel(QWidget* parent, const QString& name) : QFrame(parent)
{
    setObjectName(name);
    setFrameShape(QFrame::NoFrame);
}

void TPanel::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    QWidget* focused = QApplication::focusWidget();
    if (!EnterMovesOn || !enter || (event->modifiers() & ~Qt::KeypadModifier) || !focused || !isAncestorOf(focused)) {
        QFrame::keyPressEvent(event);
        return;
    }
    // The control that has the focus gets a Tab, so that whatever Tab does there happens.
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(focused, &tab);
    event->accept();
}
