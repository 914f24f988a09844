#include "framework/speedbutton.h"

#include "framework/eventguard.h"

#include <QMenu>

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
