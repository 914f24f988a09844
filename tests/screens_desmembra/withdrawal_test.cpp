// Withdrawing a batch, by the grid's Ctrl+Delete or the screen's delete command: its label rows
// go with it, and batches of equal weight share their label rows.
#include "screens_desmembra/splitfixture.h"

#include <QTest>

namespace {

class Withdrawal : public SplitScreenTest {
protected:
    void SetUp() override
    {
        SplitScreenTest::SetUp();
        PositionOnDefaultSource();
        OpenSplit();
        EnterBatch("2", "2,5");
        EnterBatch("1", "2,5");
        ASSERT_TRUE(Errors().isEmpty()) << ui.Log().join('\n').toStdString();
        ui.Clear();
    }

    void CtrlDeleteOnBatch(int recNo, bool answer)
    {
        split->cdsEtiqueta->SetRecNo(recNo);
        split->dbgPadrao->setFocus();
        ui.Answers.enqueue(answer);
        QTest::keyClick(split->dbgPadrao, Qt::Key_Delete, Qt::ControlModifier);
    }

    QString prefix = kBranch + kEntry + QStringLiteral("0001");
};

TEST_F(Withdrawal, WithdrawingOneOfTwoBatchesOfEqualWeightLeavesItsCountOfRowsOfThatWeight)
{
    // The second batch, 1 x 2,5, takes the row of the smallest quantity.
    CtrlDeleteOnBatch(2, true);
    EXPECT_EQ(Questions(), QStringList{QStringLiteral("Excluir registro?")});
    EXPECT_EQ(split->cdsEtiqueta->RecordCount(), 1);
    EXPECT_EQ(split->dbeQtdeAcumu->text(), "5,000");
    EXPECT_EQ(LabelRows(), QStringList({"|" + prefix + "|2|2.5|A", "|" + prefix + "|2|2.5|A"}));
}

TEST_F(Withdrawal, LabelRowsLeftMayCarryTheOtherBatchsQuantity)
{
    split->cdsEtiqueta->Locate("QTETIQPROD", {2.0});
    CtrlDeleteOnBatch(split->cdsEtiqueta->RecNo(), true);
    EXPECT_EQ(split->dbeQtdeAcumu->text(), "2,500");
    // Two rows went, the smallest quantity first: the one left for the 1 x 2,5 batch was made
    // by the 2 x 2,5 batch.
    EXPECT_EQ(LabelRows(), QStringList({"|" + prefix + "|2|2.5|A"}));
}

TEST_F(Withdrawal, AnsweringNoKeepsTheBatchAndItsLabels)
{
    CtrlDeleteOnBatch(1, false);
    EXPECT_EQ(split->cdsEtiqueta->RecordCount(), 2);
    EXPECT_EQ(LabelRows().size(), 3);
}

TEST_F(Withdrawal, TheDeleteCommandWithdrawsThroughTheSameRuleAndFollowsTheLastRow)
{
    ASSERT_TRUE(split->sbtExcluir->isEnabled());
    for (int i = 0; i < 2; ++i) {
        ui.Answers.enqueue(true);
        QTest::mouseClick(split->sbtExcluir, Qt::LeftButton);
    }
    EXPECT_EQ(Questions(), QStringList({QStringLiteral("Confirma exclusão?"), QStringLiteral("Confirma exclusão?")}));
    EXPECT_TRUE(split->cdsEtiqueta->IsEmpty());
    EXPECT_TRUE(LabelRows().isEmpty());
    EXPECT_EQ(split->dbeQtdeAcumu->text(), QString());
    EXPECT_FALSE(split->sbtExcluir->isEnabled());
    // Withdrawing shows the generation animation, once per batch.
    EXPECT_EQ(ui.Texts(TUiEntryKind::ProgressShow),
              QStringList({QStringLiteral("Gerando etiquetas..."), QStringLiteral("Gerando etiquetas...")}));
}

} // namespace
