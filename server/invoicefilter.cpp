#include "invoicefilter.h"

QStringList TInvoiceFilter::ParseKeyList(const QString& text)
{
    QStringList keys;
    for (QString key : text.split(QLatin1Char(','))) {
        key = key.trimmed();
        if (key.startsWith(QLatin1Char('_')))
            key.remove(0, 1);
        if (key.endsWith(QLatin1Char('_')))
            key.chop(1);
        if (!key.isEmpty())
            keys << key;
    }
    return keys;
}

QString TInvoiceFilter::TenDigits(const QString& number)
{
    const QString trimmed = number.trimmed();
    if (trimmed.isEmpty() || trimmed.size() >= 10)
        return trimmed;
    for (const QChar c : trimmed)
        if (!c.isDigit())
            return trimmed;
    return QString(10 - trimmed.size(), QLatin1Char('0')) + trimmed;
}
