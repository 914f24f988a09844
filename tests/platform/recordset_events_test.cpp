// The order in which record-set events and data-source notifications arrive.

#include "recordset_fixture.h"

namespace {

class RecordSetEvents : public LabelSetTest {
protected:
    void SetUp() override
    {
        LabelSetTest::SetUp();
        Add("B1", "0001", "A", 1.0);
        Add("B2", "0001", "A", 2.0);
        source.SetDataSet(set.get());
        source.OnStateChange = [this](TDataSource* s) { journal << QString("state:%1").arg(int(s->State())); };
        source.OnDataChange = [this](TDataSource*, TField* f) { journal << (f ? "data:" + f->FieldName() : QString("data")); };
        JournalEvents();
    }
    TDataSource source;
};

TEST_F(RecordSetEvents, AppendRunsInsertEventsAroundTheStateChangeAndNewRecord)
{
    set->Append();
    EXPECT_EQ(journal, QStringList({"BeforeInsert", "BeforeScroll", "state:3", "OnNewRecord", "data", "AfterInsert", "AfterScroll"}));
}

TEST_F(RecordSetEvents, PostStoresBeforeTheStateReturnsToBrowseAndAfterPostComesLast)
{
    set->Edit();
    set->FieldByName("VRPESOETIQ")->SetAsFloat(9);
    journal.clear();
    double seenInBeforePost = 0;
    set->BeforePost = [&](TClientDataSet* s) { journal << "BeforePost"; seenInBeforePost = s->FieldByName("VRPESOETIQ")->AsFloat(); };
    set->Post();
    EXPECT_EQ(journal, QStringList({"BeforePost", "state:1", "data", "AfterPost"}));
    EXPECT_EQ(seenInBeforePost, 9);
}

TEST_F(RecordSetEvents, DeleteRunsDeleteAndScrollEventsInThePlatformOrder)
{
    set->Delete();
    EXPECT_EQ(journal, QStringList({"BeforeDelete", "BeforeScroll", "data", "AfterDelete", "AfterScroll"}));
}

TEST_F(RecordSetEvents, EditAndCancelTellTheDataSourceOfBothStateChanges)
{
    set->Edit();
    set->FieldByName("IDSTATUSETIQ")->SetAsString("I");
    set->Cancel();
    EXPECT_EQ(journal, QStringList({"BeforeEdit", "state:2", "data", "AfterEdit", "data:IDSTATUSETIQ", "BeforeCancel", "state:1",
                                    "data", "AfterCancel"}));
    EXPECT_EQ(set->FieldByName("IDSTATUSETIQ")->AsString(), "A");
}

TEST_F(RecordSetEvents, MovingTheCursorWhileEditingPostsFirst)
{
    set->First();
    set->Edit();
    set->FieldByName("VRPESOETIQ")->SetAsFloat(5);
    journal.clear();
    set->Next();
    EXPECT_EQ(journal.mid(0, 4), QStringList({"BeforePost", "state:1", "data", "AfterPost"}));
    EXPECT_EQ(journal.last(), "AfterScroll");
    set->First();
    EXPECT_EQ(set->FieldByName("VRPESOETIQ")->AsFloat(), 5);
}

TEST_F(RecordSetEvents, AnUntouchedAppendIsDroppedWhenTheCursorMoves)
{
    set->OnNewRecord = [](TClientDataSet* s) { s->FieldByName("IDSTATUSETIQ")->SetAsString("A"); };
    set->Append();
    set->First();
    EXPECT_EQ(set->RecordCount(), 2);
    EXPECT_EQ(set->ChangeCount(), 2);
}

TEST_F(RecordSetEvents, ARaisingBeforePostKeepsTheRowInEditing)
{
    set->Append();
    set->FieldByName("CDCODBARRAETIQ")->SetAsString("B3");
    set->BeforePost = [](TClientDataSet*) { throw EDatabaseError("recusado"); };
    EXPECT_THROW(set->Post(), EDatabaseError);
    EXPECT_EQ(set->State(), TDataSetState::Insert);
    EXPECT_EQ(Barcode(), "B3");
    set->BeforePost = nullptr;
    set->Post();
    EXPECT_EQ(set->RecordCount(), 3);
}

TEST_F(RecordSetEvents, ARaisingNewRecordHandlerLeavesNoRowAndBrowseState)
{
    set->OnNewRecord = [](TClientDataSet*) { throw EDatabaseError("falhou"); };
    EXPECT_THROW(set->Append(), EDatabaseError);
    EXPECT_EQ(set->State(), TDataSetState::Browse);
    EXPECT_EQ(set->RecordCount(), 2);
}

TEST_F(RecordSetEvents, DisabledControlsHearNothingButTheSetsOwnEventsStillFire)
{
    set->DisableControls();
    set->DisableControls();
    set->First();
    set->Edit();
    set->FieldByName("VRPESOETIQ")->SetAsFloat(3);
    set->Next();
    set->EnableControls();
    EXPECT_FALSE(journal.contains("data"));
    EXPECT_TRUE(journal.contains("AfterScroll"));
    EXPECT_TRUE(set->ControlsDisabled());
    journal.clear();
    set->EnableControls();
    EXPECT_EQ(journal, QStringList({"data"}));
    EXPECT_FALSE(set->ControlsDisabled());
}

TEST_F(RecordSetEvents, EnablingControlsReportsAStateThatChangedMeanwhile)
{
    set->DisableControls();
    set->Edit();
    set->EnableControls();
    EXPECT_EQ(journal, QStringList({"BeforeEdit", "AfterEdit", "state:2", "data"}));
}

TEST_F(RecordSetEvents, ChangingTheFilterMovesToTheFirstRowWithScrollEvents)
{
    set->Last();
    journal.clear();
    set->SetFilter("VRPESOETIQ > 0");
    set->SetFiltered(true);
    EXPECT_EQ(journal, QStringList({"BeforeScroll", "data", "AfterScroll"}));
    EXPECT_EQ(set->RecNo(), 1);
    EXPECT_TRUE(set->Bof());
}

TEST_F(RecordSetEvents, LocateThatFindsNothingFiresOnlyBeforeScroll)
{
    EXPECT_FALSE(set->Locate("CDCODBARRAETIQ", {"ZZ"}));
    EXPECT_EQ(journal, QStringList({"BeforeScroll"}));
}

TEST_F(RecordSetEvents, ADataSourceDestroyedFirstIsForgotten)
{
    auto other = std::make_unique<TDataSource>();
    int heard = 0;
    other->OnDataChange = [&](TDataSource*, TField*) { ++heard; };
    other->SetDataSet(set.get());
    const int afterBind = heard;
    other.reset();
    set->First();
    EXPECT_EQ(afterBind, 1);
}

TEST_F(RecordSetEvents, ADataSourceOutlivingItsSetReportsInactive)
{
    TDataSource outliving;
    {
        TClientDataSet temporary;
        temporary.AddField("A", TFieldType::String, 2);
        temporary.CreateDataSet();
        outliving.SetDataSet(&temporary);
        EXPECT_EQ(outliving.State(), TDataSetState::Browse);
    }
    EXPECT_EQ(outliving.DataSet(), nullptr);
    EXPECT_EQ(outliving.State(), TDataSetState::Inactive);
}

}  // namespace
