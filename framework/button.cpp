#include "framework/button.h"

#include "framework/eventguard.h"

TButton::TButton(const QString& caption, QWidget* parent, const QString& name) : QPushButton(caption, parent)
{
    setObjectName(name);
    connect(this, &QPushButton::clicked, this, [this] {
        if (OnClick)
            RunGuarded([this] { OnClick(this); }, this);
    });
}
