// Filter texts, and how the filter in force limits navigation, counts, locate and lookup.

#include "recordset_fixture.h"

namespace {

class RecordSetFilter : public LabelSetTest {
protected:
    void SetUp() override
    {
        LabelSetTest::SetUp();
        Add("AB-1", "0001", "A", 1.5, 2);
        Add("ab-2", "0001", "I", 2.5, 1);
        Add("O'NEIL", "0002", "A", 3.0, 3);
        Add("ZZ-4", "0002", "R", 4.0, 4);
        set->Append();
        set->FieldByName("CDCODBARRAETIQ")->SetAsString("NULO");
        set->FieldByName("NRSEQITPROD")->SetAsString("0003");
        set->Post();
    }

    QStringList Filtered(const QString& text)
    {
        set->SetFiltered(false);
        set->SetFilter(text);
        set->SetFiltered(true);
        return Walk();
    }
};

TEST_F(RecordSetFilter, ComparesFieldsWithQuotedTextsNumbersAndOtherFields)
{
    EXPECT_EQ(Filtered(" NRSEQITPROD = '0001'"), QStringList({"AB-1", "ab-2"}));
    EXPECT_EQ(Filtered("CDCODBARRAETIQ = 'O''NEIL'"), QStringList({"O'NEIL"}));
    EXPECT_EQ(Filtered("VRPESOETIQ >= 2.5"), QStringList({"ab-2", "O'NEIL", "ZZ-4"}));
    EXPECT_EQ(Filtered("VRPESOETIQ < QTETIQPROD"), QStringList({"AB-1"}));
    EXPECT_EQ(Filtered("VRPESOETIQ <> 4"), QStringList({"AB-1", "ab-2", "O'NEIL"}));
    EXPECT_EQ(Filtered("VRPESOETIQ * QTETIQPROD > 8"), QStringList({"O'NEIL", "ZZ-4"}));
}

TEST_F(RecordSetFilter, CombinesConditionsWithAndOrNotAndParentheses)
{
    EXPECT_EQ(Filtered("NRSEQITPROD = '0002' and IDSTATUSETIQ = 'A'"), QStringList({"O'NEIL"}));
    EXPECT_EQ(Filtered("IDSTATUSETIQ = 'I' OR IDSTATUSETIQ = 'R'"), QStringList({"ab-2", "ZZ-4"}));
    EXPECT_EQ(Filtered("NOT (IDSTATUSETIQ = 'A') AND [NRSEQITPROD] <> '0003'"), QStringList({"ab-2", "ZZ-4"}));
    EXPECT_EQ(Filtered("(NRSEQITPROD = '0001' OR NRSEQITPROD = '0002') AND VRPESOETIQ > 2"), QStringList({"ab-2", "O'NEIL", "ZZ-4"}));
}

TEST_F(RecordSetFilter, NullFieldsMatchOnlyIsNull)
{
    EXPECT_EQ(Filtered("IDSTATUSETIQ IS NULL"), QStringList({"NULO"}));
    EXPECT_EQ(Filtered("IDSTATUSETIQ IS NOT NULL AND VRPESOETIQ > 3"), QStringList({"ZZ-4"}));
    EXPECT_EQ(Filtered("IDSTATUSETIQ <> 'A'"), QStringList({"ab-2", "ZZ-4"}));
}

TEST_F(RecordSetFilter, CaseInsensitiveOptionAppliesToTextComparisons)
{
    EXPECT_EQ(Filtered("CDCODBARRAETIQ = 'ab-1'"), QStringList());
    set->FilterOptions = TFilterOption::CaseInsensitive;
    EXPECT_EQ(Filtered("CDCODBARRAETIQ = 'ab-1'"), QStringList({"AB-1"}));
    EXPECT_EQ(Filtered("CDCODBARRAETIQ >= 'AB-2' AND CDCODBARRAETIQ < 'b'"), QStringList({"ab-2"}));
}

TEST_F(RecordSetFilter, AFilterThatDoesNotParseNamesItselfAndLeavesTheFilterInForce)
{
    Filtered("NRSEQITPROD = '0001'");
    for (const QString bad : {"NRSEQITPROD = '0002", "NRSEQITPROD = ", "CAMPO_FALTA = 'x'", "(NRSEQITPROD = '1'", "VRPESOETIQ",
                              "NRSEQITPROD = '1' AND", "VRPESOETIQ = = 1"}) {
        try {
            set->SetFilter(bad);
            ADD_FAILURE() << bad.toStdString();
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(e.Message().contains(bad)) << e.Message().toStdString();
        }
    }
    EXPECT_EQ(set->Filter(), "NRSEQITPROD = '0001'");
    EXPECT_EQ(Walk(), QStringList({"AB-1", "ab-2"}));
}

TEST_F(RecordSetFilter, DeeplyNestedTextsAreRefusedInsteadOfExhaustingTheStack)
{
    Filtered("NRSEQITPROD = '0001'");
    const auto nested = [](const QString& open, int levels, const QString& core, const QString& close) {
        return open.repeated(levels) + core + close.repeated(levels);
    };
    // Thousands of levels once overflowed the stack of the recursive parser.
    for (const QString& bad : {nested("(", 4000, "VRPESOETIQ > 0", ")"), nested("NOT ", 4000, "VRPESOETIQ > 0", ""),
                               nested("-", 4000, "VRPESOETIQ > 0", ""), "VRPESOETIQ" + QString("+1").repeated(5000) + " > 0"}) {
        try {
            set->SetFilter(bad);
            ADD_FAILURE() << bad.left(40).toStdString();
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(e.Message().contains("demais")) << e.Message().left(80).toStdString();
        }
    }
    EXPECT_EQ(Walk(), QStringList({"AB-1", "ab-2"}));
    // Nesting as deep as any condition a person or a screen writes still works.
    EXPECT_EQ(Filtered(nested("(", 60, "NRSEQITPROD = '0002'", ")") + " AND " + nested("NOT ", 51, "VRPESOETIQ > 3", "")),
              QStringList({"O'NEIL"}));
    EXPECT_EQ(Filtered("VRPESOETIQ" + QString("+0").repeated(500) + " > 3.5"), QStringList({"ZZ-4"}));
}

TEST_F(RecordSetFilter, SwitchingOnABadFilterRaisesAndStaysOff)
{
    set->SetFilter("VRPESOETIQ >");
    EXPECT_THROW(set->SetFiltered(true), EDatabaseError);
    EXPECT_FALSE(set->Filtered());
    EXPECT_EQ(set->RecordCount(), 5);
}

TEST_F(RecordSetFilter, TheFilterLimitsCountLocateAndLookup)
{
    Filtered("NRSEQITPROD = '0002'");
    EXPECT_EQ(set->RecordCount(), 2);
    EXPECT_FALSE(set->Locate("CDCODBARRAETIQ", {"AB-1"}));
    EXPECT_TRUE(set->Locate("CDCODBARRAETIQ", {"zz-4"}, TLocateOption::CaseInsensitive));
    EXPECT_EQ(set->RecNo(), 2);
    EXPECT_EQ(set->Lookup("CDCODBARRAETIQ", {"AB-1"}, "VRPESOETIQ"), QVariant());
    set->SetFiltered(false);
    EXPECT_EQ(set->Lookup("CDCODBARRAETIQ", {"AB-1"}, "VRPESOETIQ").toDouble(), 1.5);
}

TEST_F(RecordSetFilter, APostedRowThatNoLongerPassesLeavesTheViewAndTheNextBecomesCurrent)
{
    Filtered("IDSTATUSETIQ = 'A'");
    set->First();
    set->Edit();
    set->FieldByName("IDSTATUSETIQ")->SetAsString("I");
    set->Post();
    EXPECT_EQ(set->RecordCount(), 1);
    EXPECT_EQ(Barcode(), "O'NEIL");
    Add("NOVA", "0002", "R", 1.0);  // a new row outside the filter is stored but not shown
    EXPECT_EQ(set->RecordCount(), 1);
    EXPECT_EQ(Barcode(), "O'NEIL");
    set->SetFiltered(false);
    EXPECT_EQ(set->RecordCount(), 6);
}

TEST_F(RecordSetFilter, AWalkThatEditsRowsOutOfTheFilterVisitsEachOnce)
{
    Filtered("NRSEQITPROD = '0001' OR NRSEQITPROD = '0002'");
    QStringList seen;
    set->First();
    while (!set->Eof()) {
        seen << Barcode();
        set->Edit();
        set->FieldByName("NRSEQITPROD")->SetAsString("0009");
        set->Next();
    }
    EXPECT_EQ(seen, QStringList({"AB-1", "ab-2", "O'NEIL", "ZZ-4"}));
    EXPECT_EQ(set->RecordCount(), 0);
}

TEST_F(RecordSetFilter, PostingEachRowOutOfTheFilterBeforeNextAlsoVisitsEachOnce)
{
    Filtered("IDSTATUSETIQ = 'A' OR IDSTATUSETIQ = 'R'");
    QStringList seen;
    set->First();
    while (!set->Eof()) {
        seen << Barcode();
        set->Edit();
        set->FieldByName("IDSTATUSETIQ")->SetAsString("I");
        set->Post();
        set->Next();
    }
    EXPECT_EQ(seen, QStringList({"AB-1", "O'NEIL", "ZZ-4"}));
}

TEST_F(RecordSetFilter, AnEqualityFilterFollowsRowsWhoseKeyChanged)
{
    // The key lookup behind FIELD = 'text' filters must see edits, appends and deletes.
    Filtered("NRSEQITPROD = '0001'");
    Filtered("NRSEQITPROD = '0002'");
    set->First();
    set->Edit();
    set->FieldByName("NRSEQITPROD")->SetAsString("0001");
    set->Post();
    Add("NOVA-1", "0001", "A", 9);
    EXPECT_EQ(Filtered("NRSEQITPROD = '0001'"), QStringList({"AB-1", "ab-2", "O'NEIL", "NOVA-1"}));
    set->First();
    set->Delete();
    EXPECT_EQ(Filtered("NRSEQITPROD = '0001' AND IDSTATUSETIQ = 'A'"), QStringList({"O'NEIL", "NOVA-1"}));
    EXPECT_EQ(Filtered("NRSEQITPROD = '0002'"), QStringList({"ZZ-4"}));
    EXPECT_EQ(Filtered("NRSEQITPROD = '9999'"), QStringList());
}

TEST_F(RecordSetFilter, FilterAndSortOrderWorkTogether)
{
    set->SetIndexFieldNames("VRPESOETIQ");
    set->Close();
    set->SetIndexFieldNames("VRPESOETIQ");
    set->SetFilter("IDSTATUSETIQ <> 'I'");
    set->SetFiltered(true);
    set->CreateDataSet();
    Add("P4", "0001", "A", 4);
    Add("P1", "0001", "I", 1);
    Add("P2", "0001", "A", 2);
    EXPECT_EQ(Walk(), QStringList({"P2", "P4"}));
    set->Locate("CDCODBARRAETIQ", {"P4"});
    set->Edit();
    set->FieldByName("VRPESOETIQ")->SetAsFloat(0.5);
    set->Post();
    EXPECT_EQ(set->RecNo(), 1);
    EXPECT_EQ(Walk(), QStringList({"P4", "P2"}));
}

TEST_F(RecordSetFilter, LocateMatchesSeveralFieldsWithCaseAndPartialOptions)
{
    EXPECT_FALSE(set->Locate("CDCODBARRAETIQ;NRSEQITPROD", {"AB-2", "0001"}));
    EXPECT_TRUE(set->Locate("cdcodbarraetiq;NRSEQITPROD", {"AB-2", "0001"}, TLocateOption::CaseInsensitive));
    EXPECT_EQ(Barcode(), "ab-2");
    EXPECT_TRUE(set->Locate("CDCODBARRAETIQ", {"O'N"}, TLocateOption::PartialKey));
    EXPECT_EQ(Barcode(), "O'NEIL");
    EXPECT_TRUE(set->Locate("CDCODBARRAETIQ", {"ab"}, TLocateOption::PartialKey | TLocateOption::CaseInsensitive));
    EXPECT_EQ(Barcode(), "AB-1");
    EXPECT_TRUE(set->Locate("VRPESOETIQ", {4.0}));
    EXPECT_EQ(Barcode(), "ZZ-4");
    EXPECT_TRUE(set->Locate("IDSTATUSETIQ", {QVariant()}));
    EXPECT_EQ(Barcode(), "NULO");
    EXPECT_THROW(set->Locate("CDCODBARRAETIQ;NRSEQITPROD", {"AB-1"}), EDatabaseError);
    EXPECT_THROW(set->Locate("CAMPO_FALTA", {"x"}), EDatabaseError);
}

TEST_F(RecordSetFilter, LocateFindsTheFirstRowInTheCurrentOrder)
{
    Add("DUP", "0005", "A", 9);
    Add("DUP", "0004", "A", 8);
    set->SetIndexFieldNames("NRSEQITPROD");
    ASSERT_TRUE(set->Locate("CDCODBARRAETIQ", {"dup"}, TLocateOption::CaseInsensitive));
    EXPECT_EQ(set->FieldByName("NRSEQITPROD")->AsString(), "0004");
}

TEST_F(RecordSetFilter, LookupReturnsSeveralFieldsWithoutMoving)
{
    set->SetRecNo(4);
    JournalEvents();
    const QVariant found = set->Lookup("CDCODBARRAETIQ", {"O'NEIL"}, "NRSEQITPROD;VRPESOETIQ");
    EXPECT_EQ(found.toList(), QVariantList({"0002", 3.0}));
    EXPECT_EQ(set->RecNo(), 4);
    EXPECT_TRUE(journal.isEmpty());
}

}  // namespace
