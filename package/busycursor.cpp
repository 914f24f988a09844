#include "package/busycursor.h"

#include <QCursor>
#include <QGuiApplication>

TBusyCursor::TBusyCursor()
{
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

TBusyCursor::~TBusyCursor()
{
    Release();
}

void TBusyCursor::Release()
{
    if (!active_)
        return;
    active_ = false;
    QGuiApplication::restoreOverrideCursor();
}
