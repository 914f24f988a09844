#include "framework/edit.h"

#include "framework/eventguard.h"

#include <QKeyEvent>

TEdit::TEdit(QWidget* parent, const QString& name) : QLineEdit(parent)
{
    setObjectName(name);
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (OnChange)
            RunGuarded([this] { OnChange(this); }, this);
    });
}

int TEdit::SelStart() const
{
    return hasSelectedText() ? selectionStart() : cursorPosition();
}

int TEdit::SelLength() const
{
    return hasSelectedText() ? int(selectedText().size()) : 0;
}

void TEdit::keyPressEvent(QKeyEvent* event)
{
    // A key without a virtual key code (the comma, the minus sign, the period) is no key-down
    // event of the screen: it goes on to the key-press filter and the edit unchanged.
    int vk = OnKeyDown ? VirtualKeyFromQt(event->key()) : 0;
    if (vk != 0) {
        const bool ok = RunGuarded([&] { OnKeyDown(this, vk, event->modifiers()); }, this);
        if (!ok || vk == 0) {
            event->accept();
            return;
        }
    }
    // Select all and copy are the desktop's, in every edit: they type nothing, so no key-press
    // filter (which admits only what a number needs) may cancel them.
    if (event->matches(QKeySequence::SelectAll) || event->matches(QKeySequence::Copy)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString text = event->text();
    if (OnKeyPress && text.size() == 1) {
        QChar key = text.at(0);
        const bool ok = RunGuarded([&] { OnKeyPress(this, key); }, this);
        if (!ok || key.unicode() == 0) {
            event->accept();
            return;
        }
        if (key != text.at(0) && key.unicode() >= 32) {
            insert(QString(key));
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}
