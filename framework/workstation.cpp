#include "framework/workstation.h"

#include "framework/session.h"

#include <QSettings>

bool TWorkstation::Enabled()
{
    return !TSession::Instance().WorkstationFile.isEmpty();
}

QVariant TWorkstation::Value(const QString& key, const QVariant& fallback)
{
    if (!Enabled())
        return fallback;
    const QSettings ini(TSession::Instance().WorkstationFile, QSettings::IniFormat);
    return ini.value(key, fallback);
}

void TWorkstation::SetValue(const QString& key, const QVariant& value)
{
    if (!Enabled())
        return;
    QSettings ini(TSession::Instance().WorkstationFile, QSettings::IniFormat);
    ini.setValue(key, value);
}
