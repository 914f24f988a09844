// Field values: conversions between kinds, nulls, widths, and the texts shown to a person.

#include "recordset_fixture.h"

#include "platform/sysutils.h"

namespace {

class Fields : public ::testing::Test {
protected:
    void SetUp() override
    {
        text = set.AddField("NRSEQETIQ", TFieldType::String, 5);
        mark = set.AddField("IDCHECK", TFieldType::FixedString, 1);
        number = set.AddField("VRPESOETIQ", TFieldType::Float);
        date = set.AddField("DTVALILOTE", TFieldType::DateTime);
        set.CreateDataSet();
        set.Append();
    }

    TClientDataSet set;
    TField* text = nullptr;
    TField* mark = nullptr;
    TField* number = nullptr;
    TField* date = nullptr;
};

TEST_F(Fields, NewFieldsAreNullAndReadAsEmptyOrZero)
{
    EXPECT_TRUE(text->IsNull());
    EXPECT_EQ(text->AsString(), "");
    EXPECT_EQ(number->AsFloat(), 0);
    EXPECT_EQ(text->AsInteger(), 0);
    EXPECT_FALSE(date->AsDateTime().isValid());
    EXPECT_FALSE(number->Value().isValid());
}

TEST_F(Fields, TextsConvertToNumbersInTheLocaleOrRaiseNamingTheText)
{
    text->SetAsString("00042");
    EXPECT_EQ(text->AsInteger(), 42);
    text->SetAsString("1,5");
    EXPECT_EQ(text->AsFloat(), 1.5);
    number->SetAsString("2,25");
    EXPECT_EQ(number->AsFloat(), 2.25);
    text->SetAsString("12a");
    try {
        text->AsInteger();
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_TRUE(e.Message().contains("12a"));
    }
    EXPECT_THROW(number->SetAsString("2.25"), EConvertError);
    EXPECT_EQ(number->AsFloat(), 2.25);
}

TEST_F(Fields, NumbersRoundHalfToEvenAsIntegersAndOverflowIsAConversionError)
{
    number->SetAsFloat(2.5);
    EXPECT_EQ(number->AsInteger(), 2);
    number->SetAsFloat(3.5);
    EXPECT_EQ(number->AsInteger(), 4);
    number->SetAsFloat(3e9);
    EXPECT_THROW(number->AsInteger(), EConvertError);
    number->SetAsInteger(-7);
    EXPECT_EQ(number->AsString(), "-7");
}

TEST_F(Fields, ATextLongerThanItsWidthIsRefusedAndTheOldValueStays)
{
    text->SetAsString("12345");
    try {
        text->SetAsString("123456");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains("NRSEQETIQ"));
        EXPECT_TRUE(e.Message().contains("5"));
        EXPECT_TRUE(e.Message().contains("123456"));
    }
    EXPECT_EQ(text->AsString(), "12345");
    EXPECT_THROW(mark->SetAsString("CU"), EDatabaseError);
    EXPECT_THROW(text->SetAsFloat(1234567), EDatabaseError);
}

TEST_F(Fields, AnEmptyTextOrInvalidValueMakesAFieldNull)
{
    text->SetAsString("1");
    text->SetAsString("");
    EXPECT_TRUE(text->IsNull());
    number->SetAsFloat(1);
    number->SetValue(QVariant());
    EXPECT_TRUE(number->IsNull());
    date->SetAsDateTime(QDateTime());
    EXPECT_TRUE(date->IsNull());
    number->SetAsString("");
    EXPECT_TRUE(number->IsNull());
}

TEST_F(Fields, SetValueConvertsByTheFieldsKind)
{
    number->SetValue(QVariant(3));
    EXPECT_EQ(number->Value(), QVariant(3.0));
    text->SetValue(QVariant(2.5));
    EXPECT_EQ(text->AsString(), "2,5");
    date->SetValue(QVariant("08/12/2026 10:30"));
    EXPECT_EQ(date->AsDateTime(), WallClock(QDate(2026, 12, 8), QTime(10, 30)));
    EXPECT_EQ(date->AsString(), "08/12/2026 10:30:00");
    EXPECT_EQ(date->AsFloat(), 46364.4375);
    EXPECT_THROW(date->SetAsString("31/02/2026"), EConvertError);
}

TEST_F(Fields, WritingOutsideEditOrInsertIsRefused)
{
    set.Cancel();
    EXPECT_THROW(text->SetAsString("1"), EDatabaseError);
}

TEST_F(Fields, DisplayTextUsesFormatsMasksAndTheGeneralFormat)
{
    number->SetAsFloat(1234.5);
    EXPECT_EQ(number->DisplayText(), "1234,5");
    number->DisplayFormat = "#####0.000#######";
    EXPECT_EQ(number->DisplayText(), "1234,500");
    EXPECT_EQ(number->Text(), "1234,5");
    number->SetAsFloat(0.1 + 0.2);
    number->DisplayFormat.clear();
    EXPECT_EQ(number->DisplayText(), "0,3");
    date->SetAsDateTime(QDateTime(QDate(2026, 12, 8), QTime(0, 0)));
    EXPECT_EQ(date->DisplayText(), "08/12/2026");
    date->DisplayFormat = "yyyy-mm-dd";
    EXPECT_EQ(date->DisplayText(), "2026-12-08");
    text->SetAsString("12345");
    text->EditMask = "999-99;0;_";
    EXPECT_EQ(text->DisplayText(), "123-45");
    EXPECT_EQ(text->Text(), "12345");
}

TEST_F(Fields, AGetTextHandlerDecidesTheShownText)
{
    mark->SetAsString("A");
    QList<bool> flags;
    mark->OnGetText = [&](TField* sender, QString& out, bool displayText) {
        flags << displayText;
        out = sender->AsString() == "A" ? "Ativa" : "";
    };
    EXPECT_EQ(mark->DisplayText(), "Ativa");
    EXPECT_EQ(mark->Text(), "Ativa");
    EXPECT_EQ(flags, QList<bool>({true, false}));
}

TEST_F(Fields, DefinitionsCarryLabelsAlignmentAndWidth)
{
    EXPECT_EQ(number->Alignment, TAlignment::Right);
    EXPECT_EQ(text->Alignment, TAlignment::Left);
    EXPECT_EQ(text->Size(), 5);
    EXPECT_EQ(number->Size(), 0);
    EXPECT_EQ(text->DisplayName(), "NRSEQETIQ");
    text->DisplayLabel = "Sequência";
    EXPECT_EQ(text->DisplayName(), "Sequência");
    EXPECT_EQ(set.FieldByName("nrseqetiq"), text);
    EXPECT_THROW(set.FieldByName("FALTA"), EDatabaseError);
    EXPECT_EQ(set.Fields(), QList<TField*>({text, mark, number, date}));
}

}  // namespace
