#include "dbvalues.h"

#include "platform/sysutils.h"

// Every date-time the server reads or binds passes through here, as a wall-clock value
// (platform/sysutils.h): no conversion through local time, which would drop or move a value
// on a day whose midnight daylight saving skips.

QString SqlDateTimeText(const QDateTime& value)
{
    return WallClock(value).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QVariant SqlDateTime(const QDateTime& value)
{
    const QDateTime wallClock = WallClock(value);
    return wallClock.isValid() ? QVariant(SqlDateTimeText(wallClock)) : QVariant();
}

QDateTime DateTimeFromSql(const QVariant& value)
{
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QDateTime)
        return WallClock(value.toDateTime());   // keep the stored wall-clock reading
    if (value.typeId() == QMetaType::QDate)
        return WallClock(value.toDate());
    const QString text = value.toString().trimmed();
    const QDateTime dateTime = WallClockFromIsoText(text.left(19));
    return dateTime.isValid() ? dateTime : WallClockFromIsoText(text.left(10));
}

QVariant PacketText(const QVariant& value)
{
    return value.isNull() ? QVariant() : QVariant(value.toString());
}

QVariant PacketNumber(const QVariant& value)
{
    return value.isNull() ? QVariant() : QVariant(value.toDouble());
}

QVariant PacketDate(const QVariant& value)
{
    const QDateTime dt = DateTimeFromSql(value);
    return dt.isValid() ? QVariant(dt) : QVariant();
}
