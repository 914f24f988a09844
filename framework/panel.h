#pragma once
// TPanel: a plain container (a flat frame) with enter and exit events for the focus coming into
// it or leaving it. SetFixedHeight keeps the pixel height a layout gives it.

#include "framework/focusevents.h"

#include <QFrame>

class TPanel : public QFrame, public TFocusEvents {
    Q_OBJECT
public:
    explicit TPanel(QWidget* parent = nullptr, const QString& name = QString());
};
