#pragma once
// TGroupBox: a captioned group of controls with enter and exit events; SetBoldCaption draws the
// caption in bold without making the controls inside bold.

#include "framework/focusevents.h"

#include <QGroupBox>

class TGroupBox : public QGroupBox, public TFocusEvents {
    Q_OBJECT
public:
    TGroupBox(const QString& caption, QWidget* parent = nullptr, const QString& name = QString());
    void SetBoldCaption(bool bold);
};
