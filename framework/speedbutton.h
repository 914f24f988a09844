#pragma once
// TSpeedButton: a flat tool button of a command bar. It never takes the focus, so a handler
// that asks which control has the focus still finds the control the person was working in.
// OnClick runs through the event guard; SetHint sets the tool tip; SetStandardIcon takes an icon
// of the style. A button with a menu (SetMenu) runs OnClick when pressed and opens the menu
// from its arrow. SetKey gives the button a key on its screen (below).

#include <QKeySequence>
#include <QStyle>
#include <QToolButton>

#include <functional>

class TSpeedButton : public QToolButton {
    Q_OBJECT
public:
    explicit TSpeedButton(QWidget* parent = nullptr, const QString& name = QString());

    void SetHint(const QString& hint) { setToolTip(hint); }
    void SetStandardIcon(QStyle::StandardPixmap pixmap);
    void SetMenu(QMenu* menu);
    // Pressing the key while the focus is anywhere on the screen clicks the button: the same
    // handler, with the same checks and messages; nothing while the button is disabled or not
    // shown. The key is added to the tool tip, as "Verificar (F5)".
    void SetKey(const QKeySequence& key, QWidget* screen);
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool enabled) { setEnabled(enabled); }

    std::function<void(QObject* sender)> OnClick;
};
