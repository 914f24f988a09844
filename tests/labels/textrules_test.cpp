#include "labels/barcode.h"
#include "labels/messagetables.h"
#include "labels/textrules.h"
#include "platform/errors.h"

#include <gtest/gtest.h>

namespace {

QString Pad5(const QString& text, bool left = true)
{
    return LRPad(text, 5, QLatin1Char('0'), left);
}

TEST(LRPadTest, FillsShortTextInFrontOrBehind)
{
    EXPECT_EQ(Pad5("7"), "00007");
    EXPECT_EQ(Pad5("7", false), "70000");
    EXPECT_EQ(LRPad("ab", 4, QLatin1Char('*'), true), "**ab");
}

TEST(LRPadTest, NeverCutsATextLongerThanTheWidth)
{
    EXPECT_EQ(Pad5("123456"), "123456");
    EXPECT_EQ(Pad5("  123456 "), "123456");
}

TEST(LRPadTest, ReturnsTextWithoutValueUnchanged)
{
    EXPECT_EQ(Pad5(""), "");
    EXPECT_EQ(Pad5("   "), "   ");
}

TEST(LRPadTest, TrimsBeforeFillingButKeepsBlanksWhenTrimmedLengthEqualsWidth)
{
    EXPECT_EQ(Pad5(" 12 "), "00012");
    EXPECT_EQ(Pad5(" 12345 "), " 12345 ");
    EXPECT_EQ(Pad5("12345"), "12345");
}

TEST(SequenceNumberingTest, WritesSequencesWithFiveDigitsAndLongerOnesWhole)
{
    EXPECT_EQ(FormatSequence(1), "00001");
    EXPECT_EQ(FormatSequence(99999), "99999");
    EXPECT_EQ(FormatSequence(100000), "100000");
}

TEST(SequenceNumberingTest, GroupingTakesLargestSequenceOfTheItemPlusOne)
{
    EXPECT_EQ(NextGroupingSequence({"00001", "00004", "00002", "00003"}), 5);
    EXPECT_EQ(NextGroupingSequence({"00006", "00002", "00005"}), 7);
    EXPECT_EQ(NextGroupingSequence({}), 1);
    // The top of the integer range does not wrap round to a negative number.
    EXPECT_EQ(NextGroupingSequence({"00001", "2147483647"}), Q_INT64_C(2147483648));
}

TEST(SequenceNumberingTest, GroupingStopsOnASequenceThatIsNotANumber)
{
    EXPECT_THROW(NextGroupingSequence({"00001", "0000A"}), EConvertError);
    EXPECT_THROW(NextGroupingSequence({""}), EConvertError);
}

TEST(SequenceNumberingTest, SplitCountsFromTheAggregateOrFromZero)
{
    EXPECT_EQ(SplitStartSequence(QVariant()), 0);
    EXPECT_EQ(SplitStartSequence(QVariant(QStringLiteral("00007"))), 7);
    EXPECT_THROW(SplitStartSequence(QVariant(QStringLiteral("x7"))), EConvertError);
}

TEST(BarcodeTest, ComposesPrefixAndFiveDigitSequence)
{
    const QString prefix = BarcodePrefix("0001", "0000012345", "0003");
    EXPECT_EQ(prefix, "000100000123450003");
    const QString barcode = ComposeBarcode(prefix, 7);
    EXPECT_EQ(barcode, "00010000012345000300007");
    EXPECT_EQ(CheckTypedBarcode(barcode), TBarcodeCheck::Accepted);
}

TEST(BarcodeTest, CopiesShortKeysWithoutFillingSoTheBarcodeIsShort)
{
    const QString barcode = ComposeBarcode(BarcodePrefix("1", "12345", "3"), 2);
    EXPECT_EQ(barcode, "112345300002");
    EXPECT_EQ(CheckTypedBarcode(barcode), TBarcodeCheck::Invalid);
}

TEST(BarcodeTest, SequenceAboveFiveDigitsGivesABarcodeTheEditRejects)
{
    const QString barcode = ComposeBarcode("000100000123450003", 100000);
    EXPECT_EQ(barcode.length(), 24);
    EXPECT_EQ(CheckTypedBarcode(barcode), TBarcodeCheck::Invalid);
}

// The server accepts exactly the sequences the screens number with: what FormatSequence writes.
TEST(SequenceNumberingTest, TheStoredFormIsWhatTheNumberingWrites)
{
    for (int n : {1, 7, 99999, 100000, 123456})
        EXPECT_TRUE(IsStoredSequence(FormatSequence(n))) << n;
    for (const char* text : {"", "7", "0007", "00000", "000123456", "0000A", "-0001", " 00001", "00001 ", "+0001"})
        EXPECT_FALSE(IsStoredSequence(QString::fromLatin1(text))) << text;
}

TEST(BarcodeTest, BothBarcodeMessagesStandInTheQueryScreensTable)
{
    EXPECT_EQ(MensagemDe(MensagensConsulta(), kInvalidBarcodeKey), "Código de barras inválido.");
    EXPECT_EQ(MensagemDe(MensagensConsulta(), kBarcodeNotFoundKey), "Código de barras não localizado.");
}

TEST(BarcodeTest, TypedTextIsIgnoredInvalidOrAcceptedByItsLengthOnly)
{
    EXPECT_EQ(CheckTypedBarcode(""), TBarcodeCheck::Ignored);
    EXPECT_EQ(CheckTypedBarcode("   "), TBarcodeCheck::Ignored);
    EXPECT_EQ(CheckTypedBarcode(QString(22, 'A')), TBarcodeCheck::Invalid);
    EXPECT_EQ(CheckTypedBarcode(QString(24, '1')), TBarcodeCheck::Invalid);
    EXPECT_EQ(CheckTypedBarcode(QString(23, 'x')), TBarcodeCheck::Accepted);
}

} // namespace
