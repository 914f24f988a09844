#include "framework/panel.h"

TPanel::TPanel(QWidget* parent, const QString& name) : QFrame(parent)
{
    setObjectName(name);
    setFrameShape(QFrame::NoFrame);
}
