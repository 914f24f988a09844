// Fuzz target: the number and date routines. The input is read three ways: as text for the
// readers (StrToFloat, StrToInt, StrToDate and their Try/Extended forms), as a pattern for
// FormatFloat and a mask for FormatMaskText, and its first bytes as a raw double for the writers
// (FormatFloat with the module's patterns, the general format, day numbers). Properties: a reader
// and its Try form agree; what a writer prints reads back; FormatFloat never throws.

#include "fuzzsupport.h"

#include "platform/errors.h"
#include "platform/sysutils.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

// The patterns the module's screens, grids and reports use.
const char* const kModulePatterns[] = {
    "#####0.00", "#####0.000", "#####0.000#######", "#####0.0000", "#,##0.00", "0", "0.##", "0.00",
    "000000", "'R$ '0.00", "0.00;(0.00);zero", "",
};

bool Near(double a, double b, double tolerance)
{
    return std::fabs(a - b) <= tolerance * std::max(1.0, std::fabs(b));
}

void CheckReaders(const QString& text)
{
    double d = 0;
    const bool floatOk = TryStrToFloat(text, d);
    try {
        const double strict = StrToFloat(text);
        FUZZ_CHECK(floatOk && (strict == d || (std::isnan(strict) && std::isnan(d))),
                   QStringLiteral("StrToFloat and TryStrToFloat disagree on '%1'").arg(text));
    } catch (const EConvertError&) {
        FUZZ_CHECK(!floatOk, QStringLiteral("StrToFloat refuses '%1' that TryStrToFloat reads").arg(text));
    }
    if (floatOk) {
        FUZZ_CHECK(std::isfinite(d), QStringLiteral("'%1' reads as a number that is not finite").arg(text));
        // The general format with 17 digits reads back to the same double.
        const QString exact = FloatToStrGeneral(d, 17);
        double back = 0;
        FUZZ_CHECK(TryStrToFloat(exact, back) && back == d,
                   QStringLiteral("'%1' → %2 does not read back").arg(text, exact));
        const QString shown = FloatToStr(d);
        FUZZ_CHECK(std::fabs(d) >= 1e307 || (TryStrToFloat(shown, back) && Near(back, d, 1e-14)),
                   QStringLiteral("'%1' → %2 reads back as another number").arg(text, shown));
    }

    long double e = 0;
    const bool extendedOk = TryStrToFloatExtended(text, e);
    try {
        (void)StrToFloatExtended(text);
        FUZZ_CHECK(extendedOk, QStringLiteral("StrToFloatExtended and its Try form disagree on '%1'").arg(text));
    } catch (const EConvertError&) {
        FUZZ_CHECK(!extendedOk, QStringLiteral("StrToFloatExtended refuses '%1'").arg(text));
    }
    if (extendedOk)
        (void)FloatToStrGeneralExtended(e, 15);

    int i = 0;
    const bool intOk = TryStrToInt(text, i);
    try {
        const int strict = StrToInt(text);
        FUZZ_CHECK(intOk && strict == i, QStringLiteral("StrToInt and TryStrToInt disagree on '%1'").arg(text));
    } catch (const EConvertError&) {
        FUZZ_CHECK(!intOk, QStringLiteral("StrToInt refuses '%1'").arg(text));
    }
    if (intOk) {
        int back = 0;
        FUZZ_CHECK(TryStrToInt(IntToStr(i), back) && back == i, QStringLiteral("%1 does not print back").arg(i));
        // A whole number is a number too, with the same value.
        FUZZ_CHECK(floatOk && d == double(i), QStringLiteral("'%1' reads as %2 whole but not as that number").arg(text).arg(i));
    }

    TDateTime day = 0;
    const bool dateOk = TryStrToDate(text, day);
    try {
        const TDateTime strict = StrToDate(text);
        FUZZ_CHECK(dateOk && strict == day, QStringLiteral("StrToDate and TryStrToDate disagree on '%1'").arg(text));
    } catch (const EConvertError&) {
        FUZZ_CHECK(!dateOk, QStringLiteral("StrToDate refuses '%1'").arg(text));
    }
    if (dateOk) {
        const QString printed = DateToStr(day);
        FUZZ_CHECK(StrToDate(printed) == day, QStringLiteral("'%1' → %2 does not read back").arg(text, printed));
        FUZZ_CHECK(DateTimeFromQt(QtFromDateTime(day)) == day, QStringLiteral("'%1' does not survive Qt's date-time").arg(text));
    }
}

void CheckWriters(double value)
{
    for (const char* pattern : kModulePatterns) {
        QString out;
        try {
            out = FormatFloat(QString::fromLatin1(pattern), value);
        } catch (const std::exception& e) {
            FUZZ_CHECK(false, QStringLiteral("FormatFloat(\"%1\", %2) throws %3").arg(QString::fromLatin1(pattern))
                                  .arg(value, 0, 'g', 17).arg(QString::fromUtf8(e.what())));
        }
        FUZZ_CHECK(!out.isEmpty() || std::strcmp(pattern, "") == 0, QStringLiteral("FormatFloat gave nothing"));
    }
    // A plain pattern prints a number that reads back within half its last place.
    if (std::isfinite(value) && std::fabs(value) < 1e15) {
        const QString out = FormatFloat(QStringLiteral("0.000"), value);
        double back = 0;
        FUZZ_CHECK(TryStrToFloat(out, back) && std::fabs(back - value) <= 0.0005 + 1e-9 * std::fabs(value),
                   QStringLiteral("FormatFloat(\"0.000\", %1) = %2").arg(value, 0, 'g', 17).arg(out));
    }
    for (int precision : {1, 7, 15, 17}) {
        const QString general = FloatToStrGeneral(value, precision);
        double back = 0;
        // Near the largest double, fewer digits can round up beyond it ("2E308"), which no
        // double holds; only the 17 digits must read back there.
        if (std::isfinite(value) && (precision == 17 || std::fabs(value) < 1e307)) {
            FUZZ_CHECK(TryStrToFloat(general, back), QStringLiteral("FloatToStrGeneral gave '%1', which does not read").arg(general));
            if (precision == 17)
                FUZZ_CHECK(back == value, QStringLiteral("17 digits of %1 read back as another number").arg(general));
        }
    }
    (void)FloatToStrGeneralExtended(static_cast<long double>(value) * 3, 18);

    // Day numbers: inside the calendar they print and convert, outside they are refused.
    const QDateTime qt = QtFromDateTime(value);
    if (qt.isValid()) {
        (void)DateToStr(value);
        (void)DateTimeToStr(value);
        // Before day zero the fraction still counts forward from midnight, so day numbers are
        // compared as moments: -0.25 and 0.25 are the same, and so are -2.9999999999 and -1.
        const auto moment = [](TDateTime day) { return std::trunc(day) + std::fabs(day - std::trunc(day)); };
        const TDateTime back = DateTimeFromQt(qt);
        FUZZ_CHECK(std::fabs(moment(back) - moment(value)) <= 1.0 / 86400000 + 1e-9,
                   QStringLiteral("day %1 comes back from Qt as %2").arg(value, 0, 'g', 17).arg(back, 0, 'g', 17));
    } else {
        try {
            (void)DateToStr(value);
            FUZZ_CHECK(false, QStringLiteral("DateToStr prints day %1, which Qt cannot hold").arg(value, 0, 'g', 17));
        } catch (const EConvertError&) {
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = FuzzText(data, size);
    CheckReaders(text);

    // A pattern and a mask of the input's own, applied to a few values and to the input.
    for (double v : {0.0, -0.0, 1.5, -2.675, 1234567.891, 1e-20, 9.99e17})
        (void)FormatFloat(text, v);
    (void)FormatMaskText(text, QStringLiteral("12345678901234"));
    (void)FormatMaskText(QStringLiteral("99.999.999/9999-99;0;_"), text);

    double value = 0;
    if (size >= sizeof value) {
        std::memcpy(&value, data, sizeof value);
        CheckWriters(value);
        (void)FormatFloat(text, value);
    }
    return 0;
}
