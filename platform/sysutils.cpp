#include "platform/sysutils.h"

#include "platform/errors.h"

#include <QDate>
#include <QTime>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace {

const QChar kDecimalSeparator = QLatin1Char(',');
const QChar kThousandSeparator = QLatin1Char('.');
const QDate kDayZero(1899, 12, 30);
constexpr qint64 kMsecsPerDay = 86400000;
// The day numbers of 0001-01-01 and 9999-12-31: the range a TDateTime may hold.
constexpr double kMinDateTime = -693593.0;
constexpr double kMaxDateTime = 2958466.0;

// A finite number as decimal digits: value = 0.<digits> × 10^exponent, digits without leading
// or trailing zeros (empty for zero).
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

// Rounds the exact binary value to `precision` significant digits and takes the digits apart.
// std::to_chars rounds correctly and, unlike printf, ignores the process locale.
Decimal ToDecimal(long double value, int precision)
{
    Decimal result;
    result.negative = std::signbit(value);
    if (value == 0)
        return result;
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                       std::chars_format::scientific, precision - 1);
    const std::string text(buffer, written.ptr);
    const auto ePos = text.find('e');
    for (std::size_t i = 0; i < ePos; ++i)
        if (text[i] >= '0' && text[i] <= '9')
            result.digits += text[i];
    result.exponent = std::stoi(text.substr(ePos + 1)) + 1;
    while (!result.digits.empty() && result.digits.back() == '0')
        result.digits.pop_back();
    return result;
}

// Rounds to `decimals` places after the decimal point, half away from zero.
void RoundToDecimals(Decimal& d, int decimals)
{
    const int keep = d.exponent + decimals;
    if (keep >= static_cast<int>(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    const bool up = d.digits[keep] >= '5';
    d.digits.resize(keep);
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[i] == '9')
            d.digits[i--] = '0';
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        } else {
            ++d.digits[i];
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
}

std::string DigitsOfIntegerPart(const Decimal& d)
{
    if (d.exponent <= 0 || d.digits.empty())
        return {};
    std::string s = d.digits.substr(0, std::min<std::size_t>(d.exponent, d.digits.size()));
    s.append(d.exponent - s.size(), '0');
    return s;
}

std::string DigitsOfFraction(const Decimal& d, int count)
{
    std::string s;
    for (int i = 0; i < count; ++i) {
        const int index = d.exponent + i;
        s += (index >= 0 && index < static_cast<int>(d.digits.size())) ? d.digits[index] : '0';
    }
    return s;
}

QString SpecialValueText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

// One section of a number pattern, with its placeholders counted.
struct Pattern {
    QString text;
    int integerPlaces = 0;     // '0' and '#' before the decimal point
    int requiredInteger = 0;   // places from the first '0' up to the decimal point
    int requiredDecimals = 0;  // decimal places up to the last '0'
    int decimals = 0;          // all decimal places
    bool thousands = false;
};

bool IsQuote(QChar c)
{
    return c == QLatin1Char('\'') || c == QLatin1Char('"');
}

Pattern ParsePattern(const QString& section)
{
    Pattern p;
    p.text = section;
    bool afterPoint = false;
    int firstZero = -1;
    for (int i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        if (IsQuote(c)) {
            const int close = section.indexOf(c, i + 1);
            i = close < 0 ? section.size() : close;
            continue;
        }
        if (c == QLatin1Char('.') && !afterPoint) {
            afterPoint = true;
        } else if (c == QLatin1Char(',') && !afterPoint) {
            p.thousands = true;
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            if (afterPoint) {
                ++p.decimals;
                if (c == QLatin1Char('0'))
                    p.requiredDecimals = p.decimals;
            } else {
                if (c == QLatin1Char('0') && firstZero < 0)
                    firstZero = p.integerPlaces;
                ++p.integerPlaces;
            }
        }
    }
    if (firstZero >= 0)
        p.requiredInteger = p.integerPlaces - firstZero;
    return p;
}

// Writes the rounded digits into the pattern: extra integer digits go out at the first integer
// place, the decimal comma only when a decimal digit follows it.
QString ApplyPattern(const Pattern& p, const Decimal& d, bool minus)
{
    std::string integer = DigitsOfIntegerPart(d);
    if (static_cast<int>(integer.size()) < p.requiredInteger)
        integer.insert(0, p.requiredInteger - integer.size(), '0');
    std::string fraction = DigitsOfFraction(d, p.decimals);
    while (static_cast<int>(fraction.size()) > p.requiredDecimals && fraction.back() == '0')
        fraction.pop_back();

    QString out;
    if (minus)
        out += QLatin1Char('-');
    const int totalInteger = static_cast<int>(integer.size());
    int written = 0;   // integer digits written so far
    int place = 0;     // integer places met so far
    int decimalPlace = 0;
    bool afterPoint = false;
    auto writeIntegerDigitsUpTo = [&](int count) {
        for (; written < count; ++written) {
            out += QLatin1Char(integer[written]);
            const int left = totalInteger - written - 1;
            if (p.thousands && left > 0 && left % 3 == 0)
                out += kThousandSeparator;
        }
    };
    auto writePoint = [&]() {
        writeIntegerDigitsUpTo(totalInteger);
        if (!fraction.empty())
            out += kDecimalSeparator;
    };
    const QString& f = p.text;
    for (int i = 0; i < f.size(); ++i) {
        const QChar c = f[i];
        if (IsQuote(c)) {
            const int close = f.indexOf(c, i + 1);
            const int end = close < 0 ? f.size() : close;
            out += f.mid(i + 1, end - i - 1);
            i = end;
            continue;
        }
        if (c == QLatin1Char(',') && !afterPoint)
            continue;
        if (c == QLatin1Char('.') && !afterPoint) {
            afterPoint = true;
            writePoint();
            continue;
        }
        if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            if (afterPoint) {
                if (decimalPlace < static_cast<int>(fraction.size()))
                    out += QLatin1Char(fraction[decimalPlace]);
                ++decimalPlace;
            } else {
                ++place;
                writeIntegerDigitsUpTo(totalInteger - (p.integerPlaces - place));
            }
            continue;
        }
        out += c;
    }
    if (!afterPoint)
        writeIntegerDigitsUpTo(totalInteger);
    return out;
}

QStringList SplitSections(const QString& format)
{
    QStringList sections;
    QString current;
    QChar quote;
    for (QChar c : format) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (IsQuote(c)) {
            quote = c;
        } else if (c == QLatin1Char(';')) {
            sections << current;
            current.clear();
            continue;
        }
        current += c;
    }
    sections << current;
    return sections;
}

QString GeneralText(const Decimal& d, int precision)
{
    if (d.digits.empty())
        return QStringLiteral("0");
    QString out;
    if (d.negative)
        out += QLatin1Char('-');
    const QString digits = QString::fromStdString(d.digits);
    if (d.exponent > precision || d.exponent < -3) {
        out += digits.left(1);
        if (digits.size() > 1)
            out += kDecimalSeparator + digits.mid(1);
        out += QLatin1Char('E') + QString::number(d.exponent - 1);
        return out;
    }
    if (d.exponent <= 0) {
        out += QLatin1Char('0') + QString(kDecimalSeparator) + QString(-d.exponent, QLatin1Char('0')) + digits;
        return out;
    }
    if (digits.size() <= d.exponent) {
        out += digits + QString(d.exponent - digits.size(), QLatin1Char('0'));
        return out;
    }
    out += digits.left(d.exponent) + kDecimalSeparator + digits.mid(d.exponent);
    return out;
}

// The shape every number text must have: blanks, sign, digits with one comma, exponent. Returns
// the same number in the form std::from_chars reads, or an empty string when the text is not a
// number. `magnitude` receives the decimal exponent of the leading digit, to tell overflow from
// underflow.
std::string NormalizeNumber(const QString& text, bool& negative, long& magnitude)
{
    const QString t = text.trimmed();
    int i = 0;
    negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        negative = t[i++] == QLatin1Char('-');
    std::string mantissa;
    int integerDigits = 0;
    bool seenComma = false;
    bool anyDigit = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            mantissa += char(c.unicode());
            anyDigit = true;
            if (!seenComma)
                ++integerDigits;
        } else if (c == kDecimalSeparator && !seenComma) {
            seenComma = true;
            mantissa += '.';
        } else {
            break;
        }
    }
    if (!anyDigit)
        return {};
    long exponent = 0;
    if (i < t.size() && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        ++i;
        bool negativeExponent = false;
        if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
            negativeExponent = t[i++] == QLatin1Char('-');
        const int start = i;
        for (; i < t.size() && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9'); ++i)
            exponent = std::min(exponent * 10 + (t[i].unicode() - '0'), 100000L);
        if (i == start)
            return {};
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != t.size())
        return {};
    // Leading zeros do not count towards the size of the number.
    std::size_t first = mantissa.find_first_not_of("0.");
    if (first == std::string::npos) {
        magnitude = 0;
    } else {
        const long pointAt = seenComma ? static_cast<long>(mantissa.find('.')) : integerDigits;
        magnitude = (static_cast<long>(first) < pointAt ? pointAt - static_cast<long>(first) - 1
                                                        : pointAt - static_cast<long>(first)) + exponent;
    }
    return mantissa + "e" + std::to_string(exponent);
}

template <typename Float>
bool ParseNumber(const QString& text, Float& value)
{
    bool negative = false;
    long magnitude = 0;
    const std::string normal = NormalizeNumber(text, negative, magnitude);
    if (normal.empty())
        return false;
    Float parsed = 0;
    const auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), parsed);
    if (ec == std::errc::result_out_of_range) {
        if (magnitude > 0)
            return false;   // too large for the type
        parsed = 0;         // too small: reads as zero
    } else if (ec != std::errc() || end != normal.data() + normal.size()) {
        return false;
    }
    if (!std::isfinite(parsed))
        return false;
    value = negative ? -parsed : parsed;
    return true;
}

[[noreturn]] void ThrowNotNumber(const QString& text)
{
    throw EConvertError(QStringLiteral("'%1' não é um valor numérico válido.").arg(text));
}

[[noreturn]] void ThrowNotDate(const QString& text)
{
    throw EConvertError(QStringLiteral("'%1' não é uma data válida.").arg(text));
}

// The whole part is the day; before day zero the fraction counts forward from midnight and makes
// the value more negative, so a time of day on 01/01/0001 lies below that day's number.
bool IsDateTimeInRange(TDateTime value)
{
    return std::isfinite(value) && std::trunc(value) >= kMinDateTime && value < kMaxDateTime;
}

}   // namespace

QString FormatFloat(const QString& format, double value)
{
    if (!std::isfinite(value))
        return SpecialValueText(value);
    if (format.isEmpty() || std::fabs(value) >= 1e18)
        return FloatToStrGeneral(value, 15);
    const QStringList sections = SplitSections(format);
    Decimal d = ToDecimal(value, 15);
    // Sections: positive;negative;zero. A negative number written by its own section shows
    // no minus sign of its own; the zero section applies to values that round to zero.
    const bool hasNegativeSection = sections.size() > 1 && !sections[1].isEmpty();
    Pattern pattern = ParsePattern(d.negative && hasNegativeSection ? sections[1] : sections[0]);
    RoundToDecimals(d, pattern.decimals);
    if (d.digits.empty()) {
        if (sections.size() > 2 && !sections[2].isEmpty())
            pattern = ParsePattern(sections[2]);
        else if (d.negative && hasNegativeSection)
            pattern = ParsePattern(sections[0]);
        return ApplyPattern(pattern, d, false);
    }
    return ApplyPattern(pattern, d, d.negative && !hasNegativeSection);
}

QString FloatToStrGeneralExtended(long double value, int precision)
{
    if (!std::isfinite(value))
        return SpecialValueText(static_cast<double>(value));
    precision = std::clamp(precision, 1, 18);
    return GeneralText(ToDecimal(value, precision), precision);
}

QString FloatToStrGeneral(double value, int precision)
{
    return FloatToStrGeneralExtended(static_cast<long double>(value), std::clamp(precision, 1, 17));
}

QString FloatToStr(double value)
{
    return FloatToStrGeneral(value, 15);
}

bool TryStrToFloat(const QString& text, double& value)
{
    return ParseNumber(text, value);
}

bool TryStrToFloatExtended(const QString& text, long double& value)
{
    return ParseNumber(text, value);
}

double StrToFloat(const QString& text)
{
    double value = 0;
    if (!ParseNumber(text, value))
        ThrowNotNumber(text);
    return value;
}

long double StrToFloatExtended(const QString& text)
{
    long double value = 0;
    if (!ParseNumber(text, value))
        ThrowNotNumber(text);
    return value;
}

bool TryStrToInt(const QString& text, int& value)
{
    const QString t = text.trimmed();
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        negative = t[i++] == QLatin1Char('-');
    if (i == t.size())
        return false;
    qint64 magnitude = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < QLatin1Char('0') || t[i] > QLatin1Char('9'))
            return false;
        magnitude = magnitude * 10 + (t[i].unicode() - '0');
        if (magnitude > qint64(std::numeric_limits<int>::max()) + 1)
            return false;
    }
    const qint64 signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<int>::max())
        return false;
    value = static_cast<int>(signedValue);
    return true;
}

int StrToInt(const QString& text)
{
    int value = 0;
    if (!TryStrToInt(text, value))
        throw EConvertError(QStringLiteral("'%1' não é um valor inteiro válido.").arg(text));
    return value;
}

QString IntToStr(qint64 value)
{
    return QString::number(value);
}

QDateTime WallClock(const QDate& date, const QTime& time)
{
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::UTC);
}

QDateTime WallClock(const QDateTime& value)
{
    if (value.timeSpec() == Qt::UTC)
        return value;
    return WallClock(value.date(), value.time());
}

QDateTime WallClockFromIsoText(const QString& text)
{
    // Read by position: packets carry many date-times, and this is much faster than a format parser.
    const QString t = text.trimmed();
    const qsizetype n = t.size();
    if (n != 10 && n != 19 && n != 23)
        return {};
    auto digits = [&t](qsizetype from, qsizetype count) {
        int value = 0;
        for (qsizetype i = from; i < from + count; ++i) {
            const char16_t c = t.at(i).unicode();
            if (c < u'0' || c > u'9')
                return -1;
            value = value * 10 + (c - u'0');
        }
        return value;
    };
    auto is = [&t](qsizetype at, char16_t c) { return t.at(at).unicode() == c; };
    if (!is(4, u'-') || !is(7, u'-'))
        return {};
    const int year = digits(0, 4), month = digits(5, 2), day = digits(8, 2);
    if (year < 0 || month < 0 || day < 0)
        return {};
    const QDate date(year, month, day);
    if (n == 10)
        return WallClock(date);
    if ((!is(10, u'T') && !is(10, u' ')) || !is(13, u':') || !is(16, u':') || (n == 23 && !is(19, u'.')))
        return {};
    const int hour = digits(11, 2), minute = digits(14, 2), second = digits(17, 2), msec = n == 23 ? digits(20, 3) : 0;
    if (hour < 0 || minute < 0 || second < 0 || msec < 0 || !QTime::isValid(hour, minute, second, msec))
        return {};
    return WallClock(date, QTime(hour, minute, second, msec));
}

TDateTime DateTimeFromQt(const QDateTime& value)
{
    const QDateTime dateTime = WallClock(value);
    if (!dateTime.isValid())
        return 0;
    const qint64 days = kDayZero.daysTo(dateTime.date());
    const double fraction = double(dateTime.time().msecsSinceStartOfDay()) / double(kMsecsPerDay);
    // Before day zero the fraction still counts forward from midnight: -1.25 is 29/12/1899 06:00.
    return days < 0 ? double(days) - fraction : double(days) + fraction;
}

QDateTime QtFromDateTime(TDateTime dateTime)
{
    if (!IsDateTimeInRange(dateTime))
        return QDateTime();
    double whole = std::trunc(dateTime);
    qint64 days = static_cast<qint64>(whole);
    qint64 msecs = std::llround(std::fabs(dateTime - whole) * double(kMsecsPerDay));
    // A time that rounds up to midnight is the start of the next calendar day, also before
    // day zero (-1.9999999999 is 30/12/1899 00:00).
    if (msecs >= kMsecsPerDay) {
        msecs -= kMsecsPerDay;
        days += 1;
    }
    return WallClock(kDayZero.addDays(days), QTime::fromMSecsSinceStartOfDay(int(msecs)));
}

TDateTime EncodeDate(int year, int month, int day)
{
    const QDate date(year, month, day);
    if (!date.isValid() || year < 1 || year > 9999)
        throw EConvertError(QStringLiteral("'%1/%2/%3' não é uma data válida.")
                                .arg(day, 2, 10, QLatin1Char('0'))
                                .arg(month, 2, 10, QLatin1Char('0'))
                                .arg(year, 4, 10, QLatin1Char('0')));
    return double(kDayZero.daysTo(date));
}

TDateTime Date()
{
    return double(kDayZero.daysTo(QDate::currentDate()));
}

TDateTime Now()
{
    return DateTimeFromQt(QDateTime::currentDateTime());
}

QString DateToStr(TDateTime dateTime)
{
    const QDateTime dt = QtFromDateTime(dateTime);
    if (!dt.isValid())
        ThrowNotDate(FloatToStr(dateTime));
    return dt.date().toString(QStringLiteral("dd/MM/yyyy"));
}

QString DateTimeToStr(TDateTime dateTime)
{
    const QDateTime dt = QtFromDateTime(dateTime);
    if (!dt.isValid())
        ThrowNotDate(FloatToStr(dateTime));
    const QString date = dt.date().toString(QStringLiteral("dd/MM/yyyy"));
    if (dt.time().msecsSinceStartOfDay() == 0)
        return date;
    return date + QLatin1Char(' ') + dt.time().toString(QStringLiteral("HH:mm:ss"));
}

bool TryStrToDate(const QString& text, TDateTime& value)
{
    const QStringList parts = text.trimmed().split(QLatin1Char('/'));
    if (parts.size() != 3)
        return false;
    auto allDigits = [](const QString& s, int minLength, int maxLength) {
        if (s.size() < minLength || s.size() > maxLength)
            return false;
        for (QChar c : s)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        return true;
    };
    if (!allDigits(parts[0], 1, 2) || !allDigits(parts[1], 1, 2) || !allDigits(parts[2], 4, 4))
        return false;
    const QDate date(parts[2].toInt(), parts[1].toInt(), parts[0].toInt());
    if (!date.isValid() || date.year() < 1)
        return false;
    value = double(kDayZero.daysTo(date));
    return true;
}

TDateTime StrToDate(const QString& text)
{
    TDateTime value = 0;
    if (!TryStrToDate(text, value))
        ThrowNotDate(text);
    return value;
}

QString FormatMaskText(const QString& editMask, const QString& value)
{
    if (editMask.isEmpty())
        return value;
    // "<picture>;<save literals>;<blank>": the picture may itself hold an escaped ';'.
    QString picture;
    int i = 0;
    for (; i < editMask.size(); ++i) {
        if (editMask[i] == QLatin1Char('\\') && i + 1 < editMask.size()) {
            picture += editMask[i];
            picture += editMask[++i];
            continue;
        }
        if (editMask[i] == QLatin1Char(';'))
            break;
        picture += editMask[i];
    }
    const QStringList options = editMask.mid(i + 1).split(QLatin1Char(';'));
    const QString blankOption = options.value(1);
    const QChar blank = blankOption.isEmpty() ? QLatin1Char('_') : blankOption[0];

    enum class Case { AsIs, Upper, Lower } caseMode = Case::AsIs;
    QString out;
    int v = 0;   // next character of the value
    auto takeValueChar = [&]() -> QChar {
        if (v >= value.size())
            return blank;
        const QChar c = value[v++];
        if (caseMode == Case::Upper)
            return c.toUpper();
        if (caseMode == Case::Lower)
            return c.toLower();
        return c;
    };
    // A value character equal to the literal at its place is that literal: always so when the
    // value stores its literals, and also when a value that should not hold them already does
    // (a tax number kept formatted), so that it is not shown with its literals twice.
    auto writeLiteral = [&](QChar literal) {
        out += literal;
        if (v < value.size() && value[v] == literal)
            ++v;
    };
    for (int m = 0; m < picture.size(); ++m) {
        const QChar c = picture[m];
        switch (c.unicode()) {
        case '\\':
            if (m + 1 < picture.size())
                writeLiteral(picture[++m]);
            break;
        case '>':
            caseMode = Case::Upper;
            break;
        case '<':
            if (m + 1 < picture.size() && picture[m + 1] == QLatin1Char('>')) {
                ++m;
                caseMode = Case::AsIs;
            } else {
                caseMode = Case::Lower;
            }
            break;
        case '!':
            break;
        case '_':
            writeLiteral(QLatin1Char(' '));
            break;
        case '0': case '9': case '#': case 'A': case 'a': case 'L': case 'l': case 'C': case 'c':
            out += takeValueChar();
            break;
        default:
            writeLiteral(c);
            break;
        }
    }
    // A value longer than its mask keeps its extra characters, so nothing it holds is hidden.
    if (v < value.size())
        out += value.mid(v);
    return out;
}

QString FillPlaceholders(const QString& text, const QStringList& values)
{
    QString filled = text;
    qsizetype from = 0;
    for (const QString& value : values) {
        const qsizetype at = filled.indexOf(QLatin1String("%s"), from);
        if (at < 0)
            break;
        filled.replace(at, 2, value);
        from = at + value.size();
    }
    return filled;
}
