#include "framework/radiobutton.h"

#include "framework/eventguard.h"

TRadioButton::TRadioButton(const QString& caption, QWidget* parent, const QString& name)
    : QRadioButton(caption, parent)
{
    setObjectName(name);
    connect(this, &QRadioButton::clicked, this, [this] {
        if (OnClick)
            RunGuarded([this] { OnClick(this); }, this);
    });
}
