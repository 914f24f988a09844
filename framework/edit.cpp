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
    if (OnKeyDown) {
        int key = VirtualKeyFromQt(event->key());
        const bool ok = RunGuarded([&] { OnKeyDown(this, key, event->modifiers()); }, this);
        if (!ok || key == 0) {
            event->accept();
            return;
        }
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
