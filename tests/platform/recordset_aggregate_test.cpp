// Maintained aggregates: kept current through posts, deletes, filters and loads.

#include "recordset_fixture.h"

#include <algorithm>

namespace {

class RecordSetAggregates : public ::testing::Test {
protected:
    void SetUp() override
    {
        set.AddField("NRSEQITPROD", TFieldType::String, 4);
        set.AddField("NRSEQETIQ", TFieldType::String, 20);
        set.AddField("QTETIQPROD", TFieldType::Float);
        set.AddField("VRPESOETIQ", TFieldType::Float);
        maxSeq = set.AddAggregate("NRSEQETIQMAX", "MAX(NRSEQETIQ)");
        total = set.AddAggregate("QTACUMULADA", "SUM(QTETIQPROD*VRPESOETIQ)");
        set.AggregatesActive = true;
        set.CreateDataSet();
    }

    void Add(const QString& item, const QString& seq, double qty, double weight)
    {
        set.Append();
        set.FieldByName("NRSEQITPROD")->SetAsString(item);
        set.FieldByName("NRSEQETIQ")->SetAsString(seq);
        set.FieldByName("QTETIQPROD")->SetAsFloat(qty);
        set.FieldByName("VRPESOETIQ")->SetAsFloat(weight);
        set.Post();
    }

    TClientDataSet set;
    TAggregateField* maxSeq = nullptr;
    TAggregateField* total = nullptr;
};

TEST_F(RecordSetAggregates, AreNullOverNoRowsAndShowAnEmptyText)
{
    EXPECT_TRUE(maxSeq->IsNull());
    EXPECT_TRUE(total->IsNull());
    EXPECT_EQ(total->DisplayText(), "");
    EXPECT_EQ(total->AsFloat(), 0);
}

TEST_F(RecordSetAggregates, SumAnExpressionOfFieldsAndFollowEveryPostAndDelete)
{
    Add("0001", "00001", 2, 1.5);
    EXPECT_EQ(total->AsFloat(), 3);
    Add("0001", "00002", 1, 0.25);
    EXPECT_EQ(total->AsFloat(), 3.25);
    EXPECT_EQ(total->DisplayText(), "3,25");
    set.First();
    set.Edit();
    set.FieldByName("QTETIQPROD")->SetAsFloat(4);
    EXPECT_EQ(total->AsFloat(), 3.25);  // a pending edit does not count yet
    set.Post();
    EXPECT_EQ(total->AsFloat(), 6.25);
    set.Delete();
    EXPECT_EQ(total->AsFloat(), 0.25);
    set.Delete();
    EXPECT_TRUE(total->IsNull());
}

TEST_F(RecordSetAggregates, MaxOfATextFieldGivesTheHighestSequence)
{
    Add("0001", "00009", 1, 1);
    Add("0001", "00010", 1, 1);
    Add("0001", "00002", 1, 1);
    EXPECT_EQ(maxSeq->Value(), QVariant("00010"));
    EXPECT_EQ(maxSeq->AsInteger(), 10);
    Add("0001", "11", 1, 1);  // digits only compare as numbers, whatever their width
    EXPECT_EQ(maxSeq->AsInteger(), 11);
}

// Digit-only texts compare as numbers and rank below every other text, so the result does not
// depend on the order of the rows.
TEST_F(RecordSetAggregates, MaxAndMinOfTextsMixingNumbersAndOtherTextsDoNotDependOnTheRowOrder)
{
    QStringList sequences{"2", "10", "1A", "B", "010"};
    std::sort(sequences.begin(), sequences.end());
    do {
        set.EmptyDataSet();
        for (const QString& s : sequences)
            Add("0001", s, 1, 1);
        EXPECT_EQ(maxSeq->AsString(), "B") << sequences.join(',').toStdString();
    } while (std::next_permutation(sequences.begin(), sequences.end()));
    auto* lowest = set.AddAggregate("MENOR", "MIN(NRSEQETIQ)");
    EXPECT_EQ(lowest->AsString(), "2");
}

TEST_F(RecordSetAggregates, ANewExpressionIsComputedAtTheNextRead)
{
    Add("0001", "00001", 2, 1.5);
    EXPECT_EQ(total->AsFloat(), 3);
    total->Expression = "SUM(QTETIQPROD)";
    EXPECT_EQ(total->AsFloat(), 2);
    maxSeq->Expression = "MIN(VRPESOETIQ)";
    EXPECT_EQ(maxSeq->Value(), QVariant(1.5));
}

TEST_F(RecordSetAggregates, WritingOneIsRefusedNamingItAndTheEditGoesOn)
{
    Add("0001", "00001", 2, 1.5);
    for (const bool inserting : {false, true}) {
        inserting ? set.Append() : set.Edit();
        try {
            total->SetAsFloat(1);
            ADD_FAILURE() << "an aggregate was written";
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(e.Message().contains("QTACUMULADA")) << e.Message().toStdString();
        }
        EXPECT_THROW(maxSeq->SetAsString("00009"), EDatabaseError);
        EXPECT_THROW(total->Clear(), EDatabaseError);
        set.FieldByName("NRSEQETIQ")->SetAsString("00002");
        set.Post();
    }
    EXPECT_EQ(maxSeq->AsString(), "00002");
    EXPECT_EQ(set.RecordCount(), 2);
}

TEST_F(RecordSetAggregates, CoverOnlyTheRowsTheFilterAdmits)
{
    Add("0001", "00001", 1, 1);
    Add("0001", "00002", 1, 2);
    Add("0002", "00007", 1, 4);
    set.SetFilter(" NRSEQITPROD = '0001'");
    set.SetFiltered(true);
    EXPECT_EQ(maxSeq->AsString(), "00002");
    EXPECT_EQ(total->AsFloat(), 3);
    set.SetFilter(" NRSEQITPROD = '0003'");
    EXPECT_TRUE(maxSeq->IsNull());
    set.SetFiltered(false);
    EXPECT_EQ(total->AsFloat(), 7);
}

TEST_F(RecordSetAggregates, ADeeplyNestedExpressionIsRefusedWhenRead)
{
    TClientDataSet deep;
    deep.AddField("VRPESOETIQ", TFieldType::Float);
    auto* sum = deep.AddAggregate("TOTAL", "SUM(" + QString("(").repeated(4000) + "VRPESOETIQ" + QString(")").repeated(4000) + ")");
    deep.AggregatesActive = true;
    try {
        deep.CreateDataSet();
        (void)sum->Value();
        ADD_FAILURE() << "a nesting of 4000 levels was taken";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains("aninhada demais")) << e.Message().left(80).toStdString();
    }
}

TEST_F(RecordSetAggregates, TheSwitchesTurnThemOff)
{
    Add("0001", "00001", 1, 1);
    set.AggregatesActive = false;
    EXPECT_TRUE(total->IsNull());
    set.AggregatesActive = true;
    total->Active = false;
    EXPECT_TRUE(total->IsNull());
    EXPECT_FALSE(maxSeq->IsNull());
}

TEST_F(RecordSetAggregates, OtherFunctionsAndDisplayFormat)
{
    auto* count = set.AddAggregate("N", "COUNT(NRSEQETIQ)");
    auto* minimum = set.AddAggregate("MENOR", "MIN(VRPESOETIQ)");
    auto* average = set.AddAggregate("MEDIA", "AVG(VRPESOETIQ) * 2");
    Add("0001", "00001", 1, 1);
    Add("0001", "", 1, 2);  // an empty text is null and is not counted
    EXPECT_EQ(count->AsInteger(), 1);
    EXPECT_EQ(minimum->AsFloat(), 1);
    EXPECT_EQ(average->AsFloat(), 3);
    average->DisplayFormat = "#####0.000";
    EXPECT_EQ(average->DisplayText(), "3,000");
    Add("0001", "00003", 1, 1.0 / 3.0);
    EXPECT_EQ(total->DisplayText(), "3,33333333333333");
}

TEST_F(RecordSetAggregates, AnExpressionThatDoesNotParseIsRefusedNamingIt)
{
    TClientDataSet other;
    other.AddField("A", TFieldType::Float);
    other.AddAggregate("X", "SUM(A");
    try {
        other.CreateDataSet();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains("SUM(A"));
    }
    TClientDataSet third;
    third.AddField("A", TFieldType::Float);
    third.AddAggregate("X", "SUM(B)");
    EXPECT_THROW(third.CreateDataSet(), EDatabaseError);
}

}  // namespace
