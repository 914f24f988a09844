// Number and date routines as the screens use them: weights shown by pattern, totals in the
// general format, typed numbers read with the decimal comma, and dates as day numbers.

#include "platform/errors.h"
#include "platform/sysutils.h"
#include "support/timezonescope.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

QString ConversionMessage(const std::function<void()>& convert)
{
    try {
        convert();
    } catch (const EConvertError& e) {
        return e.Message();
    }
    return QStringLiteral("<no error>");
}

}   // namespace

TEST(FormatFloatPatterns, WeightPatternsShowRequiredAndOptionalDecimals)
{
    EXPECT_EQ(FormatFloat("#####0.000#######", 2.5), "2,500");
    EXPECT_EQ(FormatFloat("#####0.000#######", 7.1234567891), "7,1234567891");
    EXPECT_EQ(FormatFloat("#####0.000#######", 0.12345678905), "0,1234567891");
    EXPECT_EQ(FormatFloat("#####0.000", 2.5), "2,500");
    EXPECT_EQ(FormatFloat("#####0.0000", 0), "0,0000");
    EXPECT_EQ(FormatFloat("#####0.00", 0.5), "0,50");
    EXPECT_EQ(FormatFloat("0.##", 3), "3");
    EXPECT_EQ(FormatFloat("0.##", 3.1), "3,1");
}

TEST(FormatFloatPatterns, IntegerPartLongerThanThePatternKeepsEveryDigit)
{
    EXPECT_EQ(FormatFloat("#####0.00", 12345678.9), "12345678,90");
    EXPECT_EQ(FormatFloat("0.00", 1234.5), "1234,50");
    EXPECT_EQ(FormatFloat("000000", 42), "000042");
}

TEST(FormatFloatPatterns, RoundsHalfAwayFromZeroOnTheDecimalValue)
{
    EXPECT_EQ(FormatFloat("#####0.00", 2.675), "2,68");
    EXPECT_EQ(FormatFloat("#####0.00", 1.005), "1,01");
    EXPECT_EQ(FormatFloat("#####0.000", 2.0005), "2,001");
    EXPECT_EQ(FormatFloat("#####0.00", -2.675), "-2,68");
    EXPECT_EQ(FormatFloat("#####0.000", 0.0004), "0,000");
    EXPECT_EQ(FormatFloat("#####0.000", 0.0005), "0,001");
    // The binary error of a sum does not show up in the rounded text.
    EXPECT_EQ(FormatFloat("#####0.00", 0.285 * 3), "0,86");
    EXPECT_EQ(FormatFloat("#####0.000#######", 0.1 + 0.2), "0,300");
}

TEST(FormatFloatPatterns, RoundingCarriesIntoTheIntegerPart)
{
    EXPECT_EQ(FormatFloat("#####0.00", 9.995), "10,00");
    EXPECT_EQ(FormatFloat("#####0.000", 999.9996), "1000,000");
    EXPECT_EQ(FormatFloat("0", 0.5), "1");
    EXPECT_EQ(FormatFloat("0", 0.4), "0");
}

TEST(FormatFloatPatterns, NegativeValuesTakeALeadingMinusUnlessTheyRoundToZero)
{
    EXPECT_EQ(FormatFloat("#####0.000", -1.5), "-1,500");
    EXPECT_EQ(FormatFloat("#####0.00", -0.001), "0,00");
    EXPECT_EQ(FormatFloat("#####0.00", -0.0), "0,00");
}

TEST(FormatFloatPatterns, ThousandsSeparatorAndSections)
{
    EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891), "1.234.567,89");
    EXPECT_EQ(FormatFloat("#,##0.00", 123.4), "123,40");
    EXPECT_EQ(FormatFloat("#,##0.00", -1234.5), "-1.234,50");
    EXPECT_EQ(FormatFloat("0.00;(0.00);zero", -3.5), "(3,50)");
    EXPECT_EQ(FormatFloat("0.00;(0.00);zero", 0), "zero");
    EXPECT_EQ(FormatFloat("'R$ '0.00", 3.5), "R$ 3,50");
}

TEST(FormatFloatPatterns, ValuesOutsideAPatternFallBackToTheGeneralFormat)
{
    EXPECT_EQ(FormatFloat("", 7.5), "7,5");
    EXPECT_EQ(FormatFloat("#####0.00", 1e20), "1E20");
    EXPECT_EQ(FormatFloat("#####0.00", std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(FormatFloat("#####0.00", std::nan("")), "NAN");
}

TEST(GeneralFormat, WritesTheShortestTextWithoutTrailingZeros)
{
    EXPECT_EQ(FloatToStrGeneral(7.5), "7,5");
    EXPECT_EQ(FloatToStrGeneral(10), "10");
    EXPECT_EQ(FloatToStrGeneral(0), "0");
    EXPECT_EQ(FloatToStrGeneral(-0.25), "-0,25");
    EXPECT_EQ(FloatToStrGeneral(0.1 + 0.2), "0,3");
    EXPECT_EQ(FloatToStrGeneral(2.5 * 3), "7,5");
    EXPECT_EQ(FloatToStr(1.0 / 3.0), "0,333333333333333");
    EXPECT_EQ(FloatToStr(2.0 / 3.0), "0,666666666666667");
}

TEST(GeneralFormat, SwitchesToScientificForLargeAndSmallMagnitudes)
{
    EXPECT_EQ(FloatToStrGeneral(1e20), "1E20");
    EXPECT_EQ(FloatToStrGeneral(1e15), "1E15");
    EXPECT_EQ(FloatToStrGeneral(1e14), "100000000000000");
    EXPECT_EQ(FloatToStrGeneral(123456789012345678.0), "1,23456789012346E17");
    EXPECT_EQ(FloatToStrGeneral(0.0001), "0,0001");
    EXPECT_EQ(FloatToStrGeneral(0.00001), "1E-5");
    EXPECT_EQ(FloatToStrGeneral(-1.5e-7), "-1,5E-7");
}

TEST(GeneralFormat, RoundingToFifteenDigitsHidesBinaryNoiseOfExtendedSums)
{
    // A sum of weights formed in extended precision, brought back to 15 significant digits.
    const long double sum = static_cast<long double>(0.1) + 0.2L + 0.3L;
    EXPECT_EQ(FloatToStrGeneralExtended(sum, 15), "0,6");
    EXPECT_EQ(StrToFloatExtended(FloatToStrGeneralExtended(sum, 15)), StrToFloatExtended("0,6"));
    EXPECT_EQ(FloatToStrGeneral(1.0 / 3.0, 4), "0,3333");
    EXPECT_EQ(FloatToStrGeneral(12345.0, 3), "1,23E4");
}

TEST(ReadingNumbers, AcceptsTheDecimalCommaSignBlanksAndExponent)
{
    EXPECT_DOUBLE_EQ(StrToFloat("2,5"), 2.5);
    EXPECT_DOUBLE_EQ(StrToFloat("  -0,125 "), -0.125);
    EXPECT_DOUBLE_EQ(StrToFloat("+3"), 3.0);
    EXPECT_DOUBLE_EQ(StrToFloat(",5"), 0.5);
    EXPECT_DOUBLE_EQ(StrToFloat("1,5E3"), 1500.0);
    EXPECT_DOUBLE_EQ(StrToFloat("25e-1"), 2.5);
    EXPECT_EQ(StrToFloat("0,1"), 0.1);
    EXPECT_EQ(StrToFloat("1E-400"), 0.0);
}

TEST(ReadingNumbers, ExtendedReadingKeepsMoreThanDoublePrecision)
{
    const long double third = StrToFloatExtended("0,333333333333333333");
    EXPECT_NE(third, static_cast<long double>(StrToFloat("0,333333333333333333")));
    EXPECT_NEAR(static_cast<double>(third * 3), 1.0, 1e-17);
}

TEST(ReadingNumbers, TextThatIsNotANumberIsAConversionErrorNamingIt)
{
    for (const char* text : {"2.5", "", "  ", "1,2,3", "abc", "1e", "1,5 kg", "--1", "1 000", "%"}) {
        EXPECT_EQ(ConversionMessage([&] { StrToFloat(text); }),
                  QStringLiteral("'%1' não é um valor numérico válido.").arg(text))
            << text;
        double out = 42;
        EXPECT_FALSE(TryStrToFloat(text, out)) << text;
        EXPECT_EQ(out, 42);
    }
    EXPECT_EQ(ConversionMessage([] { StrToFloat("1E400"); }), "'1E400' não é um valor numérico válido.");
}

TEST(ReadingWholeNumbers, AcceptsTheWholeThirtyTwoBitRange)
{
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), std::numeric_limits<int>::min());
    EXPECT_EQ(StrToInt(" 00042 "), 42);
    EXPECT_EQ(StrToInt("+7"), 7);
}

TEST(ReadingWholeNumbers, OverflowAndJunkAreConversionErrorsNamingTheText)
{
    for (const char* text : {"2147483648", "-2147483649", "99999999999999999999", "3,0", "3.0", "", "1a", "-"}) {
        EXPECT_EQ(ConversionMessage([&] { StrToInt(text); }),
                  QStringLiteral("'%1' não é um valor inteiro válido.").arg(text))
            << text;
        int out = 5;
        EXPECT_FALSE(TryStrToInt(text, out)) << text;
        EXPECT_EQ(out, 5);
    }
}

TEST(DayNumbers, KnownDatesHaveTheirDayNumbers)
{
    EXPECT_EQ(EncodeDate(2026, 12, 8), 46364.0);
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(DateTimeFromQt(QDateTime(QDate(2026, 12, 8), QTime(18, 0))), 46364.75);
    EXPECT_EQ(QtFromDateTime(46364.5), WallClock(QDate(2026, 12, 8), QTime(12, 0)));
    EXPECT_THROW(EncodeDate(2026, 2, 30), EConvertError);
}

TEST(DayNumbers, QtDateTimesRoundTripToTheMillisecond)
{
    const QDateTime times[] = {
        WallClock(QDate(2026, 12, 8), QTime(0, 0)),
        WallClock(QDate(2026, 12, 8), QTime(23, 59, 59, 999)),
        WallClock(QDate(2000, 2, 29), QTime(7, 30, 15, 250)),
        WallClock(QDate(1899, 12, 29), QTime(6, 0)),
        WallClock(QDate(1800, 1, 1), QTime(12, 0)),
        // the first and the last moments a day number can hold
        WallClock(QDate(1, 1, 1), QTime(0, 0, 15)),
        WallClock(QDate(9999, 12, 31), QTime(23, 59, 59, 999)),
    };
    for (const QDateTime& t : times)
        EXPECT_EQ(QtFromDateTime(DateTimeFromQt(t)), t) << t.toString(Qt::ISODateWithMs).toStdString();
    EXPECT_EQ(DateTimeFromQt(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
    // A fraction a hair below midnight rounds into the next day, not to 24:00.
    EXPECT_EQ(QtFromDateTime(46364.9999999999), WallClock(QDate(2026, 12, 9)));
    EXPECT_EQ(QtFromDateTime(-1.9999999999), WallClock(QDate(1899, 12, 30)));
    EXPECT_FALSE(QtFromDateTime(std::nan("")).isValid());
}

// Date-times are wall-clock readings: in a zone whose daylight saving skipped midnight (no
// 2018-11-04 00:00 in America/Sao_Paulo) every routine still has that day and time of day.
TEST(DayNumbers, AMidnightThatTheLocalZoneSkippedIsStillThere)
{
    const TTimeZoneScope zone(kSkippedMidnightZone);
    ASSERT_FALSE(QDateTime(QDate(2018, 11, 4), QTime(0, 0)).isValid()) << "the zone has no daylight-saving data";
    const TDateTime day = StrToDate("04/11/2018");
    EXPECT_EQ(day, EncodeDate(2018, 11, 4));
    EXPECT_EQ(DateToStr(day), "04/11/2018");
    EXPECT_EQ(DateTimeToStr(day + 0.5), "04/11/2018 12:00:00");
    const QDateTime wallClock = QtFromDateTime(day);
    ASSERT_TRUE(wallClock.isValid());
    EXPECT_EQ(wallClock.date(), QDate(2018, 11, 4));
    EXPECT_EQ(wallClock.time(), QTime(0, 0));
    // A local value of that midnight (invalid for Qt) keeps its reading; so does one inside the gap.
    EXPECT_EQ(DateTimeFromQt(QDateTime(QDate(2018, 11, 4), QTime(0, 0))), day);
    EXPECT_EQ(WallClock(QDateTime(QDate(2018, 11, 4), QTime(0, 30))), WallClock(QDate(2018, 11, 4), QTime(0, 30)));
    EXPECT_EQ(WallClockFromIsoText("2018-11-04T00:00:00"), wallClock);
    EXPECT_EQ(WallClockFromIsoText("2018-11-04 00:00:00.000"), wallClock);
    EXPECT_EQ(WallClockFromIsoText("2018-11-04"), wallClock);
    for (const char* text : {"", "2018-11-04T24:00:00", "2018-11-31", "04/11/2018", "2018-11-04X00:00:00"})
        EXPECT_FALSE(WallClockFromIsoText(text).isValid()) << text;
}

TEST(DateTexts, DatesShowAsDayMonthYearAndTheTimeOnlyWhenSet)
{
    EXPECT_EQ(DateToStr(46364.0), "08/12/2026");
    EXPECT_EQ(DateToStr(46364.75), "08/12/2026");
    EXPECT_EQ(DateTimeToStr(46364.0), "08/12/2026");
    EXPECT_EQ(DateTimeToStr(46364.75), "08/12/2026 18:00:00");
    EXPECT_EQ(DateTimeToStr(DateTimeFromQt(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)))), "02/01/2026 03:04:05");
    EXPECT_THROW(DateToStr(std::nan("")), EConvertError);
    // A time of day on the first day lies below that day's number and is still that day.
    EXPECT_EQ(DateTimeToStr(DateTimeFromQt(WallClock(QDate(1, 1, 1), QTime(0, 0, 15)))), "01/01/0001 00:00:15");
    EXPECT_THROW(DateToStr(-693594.0), EConvertError);
}

TEST(DateTexts, ReadingADateIsStrictAndRoundTrips)
{
    EXPECT_EQ(StrToDate("08/12/2026"), 46364.0);
    EXPECT_EQ(StrToDate(" 8/1/2026 "), EncodeDate(2026, 1, 8));
    EXPECT_EQ(StrToDate(DateToStr(EncodeDate(2024, 2, 29))), EncodeDate(2024, 2, 29));
    for (const char* text : {"31/02/2026", "2026-12-08", "08/12/26", "08/12/2026 10:00", "08.12.2026", "", "aa/bb/cccc",
                             "00/12/2026", "08/13/2026"}) {
        EXPECT_EQ(ConversionMessage([&] { StrToDate(text); }), QStringLiteral("'%1' não é uma data válida.").arg(text))
            << text;
    }
}

TEST(EditMasks, TaxNumberMasksInsertTheirLiterals)
{
    EXPECT_EQ(FormatMaskText("999.999.999-99;0;_", "12345678901"), "123.456.789-01");
    EXPECT_EQ(FormatMaskText("99.999.999/9999-99;0;_", "12345678000199"), "12.345.678/0001-99");
    EXPECT_EQ(FormatMaskText("999.999.999-99;0;_", "123.456.789-01"), "123.456.789-01");
}

TEST(EditMasks, MissingCharactersShowTheBlankAndExtraOnesAreNotHidden)
{
    EXPECT_EQ(FormatMaskText("999.999.999-99;0;_", "1234"), "123.4__.___-__");
    EXPECT_EQ(FormatMaskText("999.999.999-99;0;*", ""), "***.***.***-**");
    EXPECT_EQ(FormatMaskText("999.999.999-99;0;_", "12345678000199"), "123.456.780-00199");
}

TEST(EditMasks, StoredLiteralsCaseConversionAndEscapes)
{
    EXPECT_EQ(FormatMaskText("999.999.999-99;1;_", "123.456.789-01"), "123.456.789-01");
    EXPECT_EQ(FormatMaskText("999.999.999-99", "123.456.789-01"), "123.456.789-01");
    EXPECT_EQ(FormatMaskText(">LL-0000;0;_", "ab1234"), "AB-1234");
    EXPECT_EQ(FormatMaskText("\\A99;0;_", "12"), "A12");
    EXPECT_EQ(FormatMaskText("", "abc"), "abc");
}

// The message tables' "%s": the report screen's two-value "file not found" text and the query
// screen's one-value texts go through the same filler.
TEST(MessagePlaceholders, EachPlaceholderTakesTheNextValueAndNothingElseIsTouched)
{
    const struct {
        const char* text;
        QStringList values;
        const char* filled;
    } cases[] = {
        {"relatório '%s' no diretório '%s'.", {"EST990", "/r"}, "relatório 'EST990' no diretório '/r'."},
        {"pedido (%s) relacionado", {"123"}, "pedido (123) relacionado"},
        {"'%s' '%s'", {"A%sB", "/r"}, "'A%sB' '/r'"},          // a value's "%s" stays in the value
        {"'%s' '%s'", {"EST990"}, "'EST990' '%s'"},            // no value left: the placeholder stays
        {"sem marcador", {"x"}, "sem marcador"},
        {"%s%s", {"", "b"}, "b"},
        {"", {}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FillPlaceholders(QString::fromUtf8(c.text), c.values), QString::fromUtf8(c.filled)) << c.text;
}
