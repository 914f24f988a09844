// Cursor movement, record numbers, bookmarks, sort orders and where the cursor lands after
// posts and deletes.

#include "recordset_fixture.h"

namespace {

class RecordSetCursor : public LabelSetTest {
protected:
    void SetUp() override
    {
        LabelSetTest::SetUp();
        Add("B3", "0001", "A", 3.0);
        Add("B1", "0002", "I", 1.0);
        Add("B2", "0001", "R", 2.0);
        Add("B4", "0002", "A", 4.0);
    }
};

TEST_F(RecordSetCursor, AnEmptySetIsAtBothEndsWithRecordNumberZero)
{
    set->EmptyDataSet();
    set->First();
    EXPECT_TRUE(set->Bof());
    EXPECT_TRUE(set->Eof());
    EXPECT_TRUE(set->IsEmpty());
    EXPECT_EQ(set->RecNo(), 0);
    EXPECT_TRUE(set->FieldByName("CDCODBARRAETIQ")->IsNull());
    EXPECT_THROW(set->Delete(), EDatabaseError);
}

TEST_F(RecordSetCursor, NextOnTheLastRowSetsEofAndStaysThere)
{
    set->Last();
    EXPECT_TRUE(set->Eof());
    EXPECT_EQ(set->RecNo(), 4);
    set->Prior();
    EXPECT_FALSE(set->Eof());
    set->Next();
    set->Next();
    EXPECT_TRUE(set->Eof());
    EXPECT_EQ(Barcode(), "B4");
    set->First();
    set->Prior();
    EXPECT_TRUE(set->Bof());
    EXPECT_EQ(Barcode(), "B3");
}

TEST_F(RecordSetCursor, RecordNumbersFollowTheVisibleOrderAndOutOfRangeGoesToTheNearestRow)
{
    set->SetIndexFieldNames("CDCODBARRAETIQ");
    set->SetRecNo(2);
    EXPECT_EQ(Barcode(), "B2");
    set->SetRecNo(99);
    EXPECT_EQ(Barcode(), "B4");
    set->SetRecNo(0);
    EXPECT_EQ(Barcode(), "B1");
}

TEST_F(RecordSetCursor, SortOrdersByFieldListByNamedIndexAndByInsertion)
{
    EXPECT_EQ(Walk(), QStringList({"B3", "B1", "B2", "B4"}));
    set->SetIndexFieldNames("NRSEQITPROD;VRPESOETIQ");
    EXPECT_EQ(Walk(), QStringList({"B2", "B3", "B1", "B4"}));
    set->Close();
    set->AddIndex("PorPeso", "VRPESOETIQ", true);
    set->SetIndexName("PorPeso");
    set->CreateDataSet();
    Add("X1", "0001", "A", 1.0);
    Add("X5", "0001", "A", 5.0);
    Add("X3", "0001", "A", 3.0);
    EXPECT_EQ(Walk(), QStringList({"X5", "X3", "X1"}));
    EXPECT_EQ(set->IndexFieldNames(), "");
    set->SetIndexName("");
    EXPECT_EQ(Walk(), QStringList({"X1", "X5", "X3"}));
    EXPECT_THROW(set->SetIndexName("Nenhum"), EDatabaseError);
    EXPECT_THROW(set->SetIndexFieldNames("CAMPO_FALTA"), EDatabaseError);
}

TEST_F(RecordSetCursor, StatusOrderListsActiveLabelsBeforeInactiveAndReserved)
{
    set->SetIndexFieldNames("IDSTATUSETIQ;CDCODBARRAETIQ");
    EXPECT_EQ(Walk(), QStringList({"B3", "B4", "B1", "B2"}));
}

TEST_F(RecordSetCursor, ThePostedRowStaysCurrentAfterItsSortFieldMovedIt)
{
    set->SetIndexFieldNames("VRPESOETIQ");
    set->First();  // B1, weight 1
    set->Edit();
    set->FieldByName("VRPESOETIQ")->SetAsFloat(10);
    set->Post();
    EXPECT_EQ(Barcode(), "B1");
    EXPECT_EQ(set->RecNo(), 4);
    EXPECT_EQ(Walk(), QStringList({"B2", "B3", "B4", "B1"}));
}

TEST_F(RecordSetCursor, AnAppendedRowTakesItsSortedPlaceAndStaysCurrent)
{
    set->SetIndexFieldNames("VRPESOETIQ");
    Add("B25", "0001", "A", 2.5);
    EXPECT_EQ(Barcode(), "B25");
    EXPECT_EQ(set->RecNo(), 3);
}

TEST_F(RecordSetCursor, InsertPutsTheRowBeforeTheCurrentOneInInsertionOrder)
{
    set->SetRecNo(2);
    set->Insert();
    EXPECT_EQ(set->RecNo(), 2);
    set->FieldByName("CDCODBARRAETIQ")->SetAsString("N");
    set->Post();
    EXPECT_EQ(Walk(), QStringList({"B3", "N", "B1", "B2", "B4"}));
}

TEST_F(RecordSetCursor, ManyInsertsAtOnePlaceKeepTheirOrder)
{
    set->First();
    for (int i = 0; i < 40; ++i) {
        set->Insert();
        set->FieldByName("CDCODBARRAETIQ")->SetAsString(QString("N%1").arg(i));
        set->Post();
    }
    const QStringList walked = Walk();
    EXPECT_EQ(walked.first(), "N39");
    EXPECT_EQ(walked.at(39), "N0");
    EXPECT_EQ(walked.at(40), "B3");
}

TEST_F(RecordSetCursor, CancellingAnInsertReturnsToThePreviousRow)
{
    set->SetRecNo(3);
    set->Append();
    set->FieldByName("CDCODBARRAETIQ")->SetAsString("N");
    set->Cancel();
    EXPECT_EQ(Barcode(), "B2");
    EXPECT_EQ(set->RecordCount(), 4);
}

TEST_F(RecordSetCursor, DeleteMakesTheNextRowCurrentOrThePreviousOneAtTheEnd)
{
    set->SetRecNo(2);
    set->Delete();
    EXPECT_EQ(Barcode(), "B2");
    set->Last();
    set->Delete();
    EXPECT_EQ(Barcode(), "B2");
    EXPECT_TRUE(set->Eof());
    EXPECT_EQ(set->RecordCount(), 2);
}

TEST_F(RecordSetCursor, AWalkThatDeletesSomeRowsVisitsEveryRow)
{
    QStringList seen;
    set->First();
    while (!set->Eof()) {
        seen << Barcode();
        if (set->FieldByName("IDSTATUSETIQ")->AsString() != "A")
            set->Delete();
        else
            set->Next();
    }
    EXPECT_EQ(seen, QStringList({"B3", "B1", "B2", "B4"}));
    EXPECT_EQ(Walk(), QStringList({"B3", "B4"}));
}

TEST_F(RecordSetCursor, BookmarksReturnToTheirRowAndDieWithIt)
{
    set->SetRecNo(3);
    const TBookmark mark = set->GetBookmark();
    set->SetIndexFieldNames("CDCODBARRAETIQ");
    set->GotoBookmark(mark);
    EXPECT_EQ(Barcode(), "B2");
    EXPECT_TRUE(set->BookmarkValid(mark));
    set->Delete();
    EXPECT_FALSE(set->BookmarkValid(mark));
    EXPECT_THROW(set->GotoBookmark(mark), EDatabaseError);
}

TEST_F(RecordSetCursor, ABookmarkOfAFilteredOutRowIsNotValid)
{
    set->SetRecNo(2);  // B1, item 0002
    const TBookmark mark = set->GetBookmark();
    set->SetFilter("NRSEQITPROD = '0001'");
    set->SetFiltered(true);
    EXPECT_FALSE(set->BookmarkValid(mark));
    set->SetFiltered(false);
    EXPECT_TRUE(set->BookmarkValid(mark));
}

TEST_F(RecordSetCursor, APeekReadsAnotherRowWithoutMovingOrEvents)
{
    set->SetRecNo(1);
    JournalEvents();
    {
        TRecordPeek peek(set.get(), 3);
        EXPECT_EQ(Barcode(), "B2");
        {
            TRecordPeek inner(set.get(), 4);
            EXPECT_EQ(Barcode(), "B4");
        }
        EXPECT_EQ(Barcode(), "B2");
    }
    EXPECT_EQ(Barcode(), "B3");
    EXPECT_EQ(set->RecNo(), 1);
    EXPECT_TRUE(journal.isEmpty());
    EXPECT_THROW(TRecordPeek(set.get(), 5), EDatabaseError);
}

TEST_F(RecordSetCursor, APeekAtTheEditedRowShowsThePendingValues)
{
    set->SetRecNo(2);
    set->Edit();
    set->FieldByName("IDSTATUSETIQ")->SetAsString("C");
    TRecordPeek peek(set.get(), 2);
    EXPECT_EQ(set->FieldByName("IDSTATUSETIQ")->AsString(), "C");
}

TEST_F(RecordSetCursor, WalkingWithoutIndexChangesEveryMarkInPlace)
{
    // A walk that edits the sort field with the index dropped visits each row once.
    set->SetIndexFieldNames("IDSTATUSETIQ");
    set->SetIndexName("");
    int visits = 0;
    set->First();
    while (!set->Eof()) {
        ++visits;
        set->Edit();
        set->FieldByName("IDSTATUSETIQ")->SetAsString("U");
        set->Next();
    }
    EXPECT_EQ(visits, 4);
    EXPECT_EQ(set->State(), TDataSetState::Browse);
    EXPECT_EQ(set->Lookup("IDSTATUSETIQ", {"A"}, "CDCODBARRAETIQ"), QVariant());
}

TEST_F(RecordSetCursor, OperationsOnAClosedSetRaise)
{
    set->Close();
    EXPECT_FALSE(set->Active());
    EXPECT_THROW(set->First(), EDatabaseError);
    EXPECT_THROW(set->Append(), EDatabaseError);
    EXPECT_EQ(set->RecordCount(), 0);
    EXPECT_THROW(set->AddField("CDCODBARRAETIQ", TFieldType::String, 3), EDatabaseError);
    set->Open();
    EXPECT_TRUE(set->IsEmpty());
}

}  // namespace
