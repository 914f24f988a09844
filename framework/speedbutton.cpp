#include "framework/speedbutton.h"

#include "framework/eventguard.h"

#include <QMenu>
#include <QShortcut>

TSpeedButton::TSpeedButton(QWidget* parent, const QString& name) : QToolButton(parent)
{
    setObjectName(name);
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    setIconSize(QSize(16, 16));
    setFixedSize(24, 24);
    connect(this, &QToolButton::clicked, this, [this] {
        if (OnClick)
            RunGuarded([this] { OnClick(this); }, this);
    });
}

void TSpeedButton::SetStandardIcon(QStyle::StandardPixmap pixmap)
{
    setIcon(style()->standardIcon(pixmap));
}

void TSpeedButton::SetMenu(QMenu* menu)
{
    setMenu(menu);
    setPopupMode(QToolButton::MenuButtonPopup);
    setFixedSize(36, 24);
}

void TSpeedButton::SetKey(const QKeySequence& key, QWidget* screen)
{
    setToolTip(QStringLiteral("%1 (%2)").arg(toolTip(), key.toString(QKeySequence::NativeText)));
    // Only on this screen: several child windows are open at once, each with the same keys.
    auto* shortcut = new QShortcut(key, screen);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(shortcut, &QShortcut::activated, this, [this] {
        if (isEnabled() && isVisible())
            click();
    });
}
