#pragma once
// TEdit: a one-line edit box with the screens' key events. OnKeyDown receives the virtual key
// code (virtualkeys.h) and the shift state; a handler that sets the key to 0 swallows it.
// OnKeyPress then receives the typed character (backspace as code 8); setting it to the
// character with code 0 cancels it, setting another character types that one instead. Ctrl+A
// (select all) and Ctrl+C (copy) never reach OnKeyPress.
// OnChange follows every change of the text. Enter and exit events come from TFocusEvents.

#include "framework/focusevents.h"
#include "framework/virtualkeys.h"

#include <QLineEdit>

class TEdit : public QLineEdit, public TFocusEvents {
    Q_OBJECT
public:
    explicit TEdit(QWidget* parent = nullptr, const QString& name = QString());

    QString Text() const { return text(); }
    void SetText(const QString& text) { setText(text); }
    int SelStart() const;
    int SelLength() const;

    std::function<void(QObject* sender, int& key, TShiftState shift)> OnKeyDown;
    std::function<void(QObject* sender, QChar& key)> OnKeyPress;
    std::function<void(QObject* sender)> OnChange;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
