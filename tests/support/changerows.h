#pragma once
// Reading the rows of a change packet a screen sent, by field name.

#include "platform/packet.h"

#include <QVariantMap>

// The new values of change `index` as field name -> value; null fields are left out unless
// `withNulls` is set.
inline QVariantMap ChangeRow(const TChangePacket& packet, int index, bool withNulls = false)
{
    QVariantMap row;
    const QVariantList& values = packet.changes.at(index).newRow;
    for (int i = 0; i < packet.fields.size(); ++i) {
        const QVariant value = values.value(i);
        if (withNulls || (value.isValid() && !value.isNull()))
            row.insert(packet.fields.at(i).name, value);
    }
    return row;
}
