#pragma once
// TButton: a push button with a caption; it takes the focus like any control. OnClick runs
// through the event guard.

#include "framework/focusevents.h"

#include <QPushButton>

#include <functional>

class TButton : public QPushButton, public TFocusEvents {
    Q_OBJECT
public:
    TButton(const QString& caption, QWidget* parent = nullptr, const QString& name = QString());

    std::function<void(QObject* sender)> OnClick;
};
