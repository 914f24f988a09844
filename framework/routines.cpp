#include "framework/routines.h"

#include "framework/uiservices.h"
#include "platform/errors.h"

#include <QApplication>

void MensErro(const QString& text, bool stop)
{
    UiServices().Error(QApplication::activeWindow(), text);
    if (stop)
        throw EAbort();
}

bool EmptyString(const QString& text)
{
    return text.trimmed().isEmpty();
}

QString Ajusta(const QString& text, int width)
{
    const QString trimmed = text.trimmed();
    if (trimmed.size() >= width)
        return trimmed;
    return QString(width - trimmed.size(), QLatin1Char('0')) + trimmed;
}

namespace {

constexpr QChar kComma = QLatin1Char(',');

bool ExceedsDigits(const QString& number, int intDigits, int decDigits)
{
    const int comma = number.indexOf(kComma);
    const QString intPart = comma < 0 ? number : number.left(comma);
    const QString decPart = comma < 0 ? QString() : number.mid(comma + 1);
    auto digits = [](const QString& part) {
        int count = 0;
        for (QChar c : part)
            count += c.isDigit() ? 1 : 0;
        return count;
    };
    return digits(intPart) > intDigits || digits(decPart) > decDigits;
}

} // namespace

void MaxNumber(const QString& text, int intDigits, int decDigits, QChar& key, int selStart, int selLength)
{
    if (key.unicode() < 32)
        return;
    const bool digit = key >= QLatin1Char('0') && key <= QLatin1Char('9');
    if (!digit && key != kComma)
        return;
    const int start = qBound(0, selStart, int(text.size()));
    const int length = qBound(0, selLength, int(text.size()) - start);
    const QString result = text.left(start) + key + text.mid(start + length);
    const bool badComma = key == kComma && (decDigits <= 0 || result.count(kComma) > 1);
    if (badComma || ExceedsDigits(result, intDigits, decDigits))
        key = QChar(0);
}

void MaxNumber(const QString& text, int intDigits, int decDigits, QString& key, int selStart, int selLength)
{
    if (key.isEmpty())
        return;
    QChar c = key.at(0);
    MaxNumber(text, intDigits, decDigits, c, selStart, selLength);
    key = QString(c);
}

QString PictPess(const QString& personType)
{
    const QString type = personType.trimmed().toUpper();
    if (type == QLatin1String("F"))
        return QStringLiteral("999.999.999-99;0;_");
    if (type == QLatin1String("J"))
        return QStringLiteral("99.999.999/9999-99;0;_");
    return QString();
}
