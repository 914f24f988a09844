#include "framework/groupbox.h"

TGroupBox::TGroupBox(const QString& caption, QWidget* parent, const QString& name) : QGroupBox(caption, parent)
{
    setObjectName(name);
}

void TGroupBox::SetBoldCaption(bool bold)
{
    const QString weight = bold ? QStringLiteral("bold") : QStringLiteral("normal");
    setStyleSheet(QStringLiteral("QGroupBox#%1 { font-weight: %2; } QGroupBox#%1 > * { font-weight: normal; }")
                      .arg(objectName().isEmpty() ? QStringLiteral("grb") : objectName(), weight));
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("grb"));
}
