#include "fixtures.h"

#include "framework/messages.h"
#include "framework/morvaxa.h"
#include "framework/routines.h"
#include "framework/session.h"
#include "platform/errors.h"
#include "platform/sysutils.h"

TEST(Ajusta, FillsTypedNumbersOnTheLeftWithZerosToTheWidth)
{
    EXPECT_EQ(Ajusta(QStringLiteral("123"), 10), QStringLiteral("0000000123"));
    EXPECT_EQ(Ajusta(QStringLiteral(" 45 "), 10), QStringLiteral("0000000045"));
    EXPECT_EQ(Ajusta(QString(), 10), QStringLiteral("0000000000"));
    EXPECT_EQ(Ajusta(QStringLiteral("9999999999"), 10), QStringLiteral("9999999999"));
}

TEST(Ajusta, NeverCutsALongerNumber)
{
    EXPECT_EQ(Ajusta(QStringLiteral("123456789012"), 10), QStringLiteral("123456789012"));
    EXPECT_EQ(Ajusta(QStringLiteral("1234567890"), 10), QStringLiteral("1234567890"));
    EXPECT_EQ(Ajusta(QStringLiteral(" 12345678901 "), 10), QStringLiteral("12345678901"));
}

namespace {

QChar Typed(const QString& text, int intDigits, int decDigits, QChar key, int selStart, int selLength = 0)
{
    MaxNumber(text, intDigits, decDigits, key, selStart, selLength);
    return key;
}

} // namespace

TEST(MaxNumber, CancelsADigitBeyondTheIntegerLimit)
{
    EXPECT_EQ(Typed(QStringLiteral("1234567890"), 10, 0, QLatin1Char('1'), 10).unicode(), 0);
    EXPECT_EQ(Typed(QStringLiteral("123456789"), 10, 0, QLatin1Char('1'), 9), QLatin1Char('1'));
}

TEST(MaxNumber, CountsDecimalsAfterTheCommaSeparately)
{
    EXPECT_EQ(Typed(QStringLiteral("1234567890,5"), 10, 10, QLatin1Char('5'), 12), QLatin1Char('5'));
    EXPECT_EQ(Typed(QStringLiteral("1,1234567890"), 10, 10, QLatin1Char('1'), 12).unicode(), 0);
    // The caret before the comma puts the digit into the integer part.
    EXPECT_EQ(Typed(QStringLiteral("1234567890,5"), 10, 10, QLatin1Char('1'), 0).unicode(), 0);
}

TEST(MaxNumber, RefusesASecondCommaAndACommaWithoutDecimals)
{
    EXPECT_EQ(Typed(QStringLiteral("1,5"), 10, 10, QLatin1Char(','), 3).unicode(), 0);
    EXPECT_EQ(Typed(QStringLiteral("15"), 10, 0, QLatin1Char(','), 2).unicode(), 0);
    EXPECT_EQ(Typed(QStringLiteral("15"), 10, 2, QLatin1Char(','), 2), QLatin1Char(','));
}

TEST(MaxNumber, TypingOverASelectionReplacesIt)
{
    EXPECT_EQ(Typed(QStringLiteral("1234567890"), 10, 0, QLatin1Char('7'), 0, 10), QLatin1Char('7'));
}

TEST(MaxNumber, LeavesControlAndOtherCharactersAlone)
{
    EXPECT_EQ(Typed(QStringLiteral("1234567890"), 10, 0, QChar(8), 10), QChar(8));
    EXPECT_EQ(Typed(QStringLiteral("1234567890"), 10, 0, QLatin1Char('%'), 10), QLatin1Char('%'));
}

TEST(PictPess, MasksTheTaxNumberOfEachPersonType)
{
    EXPECT_EQ(FormatMaskText(PictPess(QStringLiteral("F")), QStringLiteral("12345678909")),
              QStringLiteral("123.456.789-09"));
    EXPECT_EQ(FormatMaskText(PictPess(QStringLiteral("J")), QStringLiteral("12345678000195")),
              QStringLiteral("12.345.678/0001-95"));
    EXPECT_EQ(FormatMaskText(PictPess(QStringLiteral("X")), QStringLiteral("12345678000195")),
              QStringLiteral("12345678000195"));
    EXPECT_TRUE(PictPess(QString()).isEmpty());
}

TEST(Messages, LooksTextsUpByKeyInStoredOrder)
{
    const TMessages table({QStringLiteral("A|Ativa"), QStringLiteral("Agrup_ok|Agrupamento realizado com sucesso."),
                           QStringLiteral("A|segunda"), QStringLiteral("Pipe|um|dois"), QStringLiteral("SemTexto")});
    EXPECT_EQ(table.Msg(QStringLiteral("A")), QStringLiteral("Ativa"));
    EXPECT_EQ(table.Msg(QStringLiteral("Agrup_ok")), QStringLiteral("Agrupamento realizado com sucesso."));
    EXPECT_EQ(table.Msg(QStringLiteral("Pipe")), QStringLiteral("um|dois"));
    EXPECT_EQ(table.Msg(QStringLiteral("SemTexto")), QString());
    EXPECT_EQ(table.Msg(QStringLiteral("a")), QString());
    EXPECT_EQ(table.Msg(QStringLiteral("Nenhuma")), QString());
}

TEST(Routines, EmptyStringAndIif)
{
    EXPECT_TRUE(EmptyString(QStringLiteral("   ")));
    EXPECT_FALSE(EmptyString(QStringLiteral(" 1 ")));
    EXPECT_EQ(iif(true, "T", " "), QStringLiteral("T"));
    EXPECT_EQ(iif(false, QStringLiteral("T"), " "), QStringLiteral(" "));
    EXPECT_EQ(iif(false, 1, 2), 2);
}

TEST(Morvaxa, ReadsTheSession)
{
    TSession& session = TSession::Instance();
    session.Branch = QStringLiteral("0003");
    session.ServerHost = QStringLiteral("srv.local");
    session.ServerPort = 9100;
    session.ProductCodeMask = QStringLiteral("99.99.999;0;_");
    EXPECT_EQ(Morvaxa::FiliProc(), QStringLiteral("0003"));
    EXPECT_EQ(Morvaxa::WebURL(), QStringLiteral("srv.local"));
    EXPECT_EQ(Morvaxa::WebPort(), 9100);
    EXPECT_EQ(Morvaxa::DBPict(0), QStringLiteral("99.99.999;0;_"));
    EXPECT_TRUE(Morvaxa::DBPict(1).isEmpty());
}
