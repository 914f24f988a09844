#pragma once
// Conversions between the values the server keeps in the database and the packet values.
// Date-times are stored as wall-clock text "yyyy-MM-dd HH:mm:ss" (a TIMESTAMP column on
// PostgreSQL), so both databases compare and sort them the same way and no time zone applies.
// The QDateTime values on both sides are wall-clock values (WallClock, platform/sysutils.h): the
// server's time zone never changes or drops a stored date.

#include "platform/sysutils.h"

#include <QDateTime>
#include <QVariant>

QString SqlDateTimeText(const QDateTime& value);       // null QVariant for an invalid value is the caller's
QVariant SqlDateTime(const QDateTime& value);          // text, or a null value when invalid
QDateTime DateTimeFromSql(const QVariant& value);      // invalid for null or unreadable values
QVariant PacketText(const QVariant& value);            // QString, or a null value
QVariant PacketNumber(const QVariant& value);          // double, or a null value
QVariant PacketDate(const QVariant& value);            // QDateTime, or a null value
