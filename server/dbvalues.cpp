#include "dbvalues.h"

QString SqlDateTimeText(const QDateTime& value)
{
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QVariant SqlDateTime(const QDateTime& value)
{
    return value.isValid() ? QVariant(SqlDateTimeText(value)) : QVariant();
}

QDateTime DateTimeFromSql(const QVariant& value)
{
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QDateTime) {
        const QDateTime dt = value.toDateTime();
        return QDateTime(dt.date(), dt.time());   // keep the stored wall-clock reading
    }
    if (value.typeId() == QMetaType::QDate)
        return QDateTime(value.toDate(), QTime(0, 0));
    QString text = value.toString().trimmed();
    text.replace(QLatin1Char(' '), QLatin1Char('T'));
    QDateTime dt = QDateTime::fromString(text.left(19), QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    if (!dt.isValid())
        dt = QDateTime(QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd")), QTime(0, 0));
    return dt.isValid() ? QDateTime(dt.date(), dt.time()) : QDateTime();
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
