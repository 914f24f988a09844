#pragma once
// TPanel: a plain container (a flat frame) with enter and exit events for the focus coming into
// it or leaving it. SetFixedHeight keeps the pixel height a layout gives it. With EnterMovesOn,
// Enter in a control of the panel that does not use it itself moves on as Tab does (a form's
// boxes filled in from the keyboard's number block).

#include "framework/focusevents.h"

#include <QFrame>

class TPanel : public QFrame, public TFocusEvents {
    Q_OBJECT
public:
    explicit TPanel(QWidget* parent = nullptr, const QString& name = QString());

    bool EnterMovesOn = false;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
