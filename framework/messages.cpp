#include "framework/messages.h"

QString TMessages::Msg(const QString& key) const
{
    for (const QString& entry : items_) {
        const int bar = entry.indexOf(QLatin1Char('|'));
        const QString entryKey = bar < 0 ? entry : entry.left(bar);
        if (entryKey == key)
            return bar < 0 ? QString() : entry.mid(bar + 1);
    }
    return QString();
}
