// The click on the item grid's mark-column title: marking every item after one question,
// unmarking every item after another, and the clicks that do nothing.

#include "reportscreenfixture.h"

#include <QHeaderView>
#include <QTest>

namespace {

const QString kMarkAll = QStringLiteral("Deseja emitir todas as etiquetas de todos os produtos?");
const QString kUnmarkAll = QStringLiteral("Deseja desmarcar a emissão das etiquetas de todos os produtos?");
const QString B11 = Barcode("0001", 1), B12 = Barcode("0001", 2), B13 = Barcode("0001", 3);
const QString B21 = Barcode("0002", 1), B22 = Barcode("0002", 2);

class MarkAll : public ReportScreenTest {
protected:
    void ClickTitle(int section)
    {
        QHeaderView* header = screen->dbgItemProduto->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
    }
    QStringList Questions() const { return ui.Texts(TUiEntryKind::Question); }
    // A click on the mark title answered yes: one question, every item marked, every label once.
    void MarkAllAnsweringYes()
    {
        ui.Answers << true;
        ClickTitle(0);
        EXPECT_EQ(Questions(), QStringList({kMarkAll}));
        EXPECT_EQ(ItemMarks(), QStringList({"C", "C", "C"}));
        EXPECT_EQ(PrintSet(), QStringList({B11, B12, B13, B21, B22}));
    }
};

TEST_F(MarkAll, AClickOnAnotherColumnTitleOrOverNoItemsAsksNothingAndChangesNothing)
{
    Open();
    ui.Answers << true << true;
    ClickTitle(1);
    ClickTitle(2);
    EXPECT_TRUE(ui.Entries.isEmpty()) << ui.Log().join('\n').toStdString();
    EXPECT_EQ(ItemMarks(), QStringList({"U", "U", "U"}));

    Items()->EmptyDataSet();
    ClickTitle(0);
    EXPECT_TRUE(ui.Entries.isEmpty()) << ui.Log().join('\n').toStdString();
    EXPECT_TRUE(PrintSet().isEmpty());
}

TEST_F(MarkAll, YesMarksEveryItemAndPutsEveryLabelOnceInBarcodeOrderWithTheCursorBack)
{
    SetLabelMark(B22, "C");
    Open();
    GoToItem("0002");
    MarkAllAnsweringYes();
    EXPECT_EQ(Items()->RecNo(), 2);
    // The label grid shows the current item's labels again.
    EXPECT_EQ(LabelRows(), QStringList({B22, B21}));
    EXPECT_EQ(Items()->State(), TDataSetState::Browse);
}

TEST_F(MarkAll, NoChangesNothing)
{
    Open();
    ClickTitle(0);
    EXPECT_EQ(Questions(), QStringList({kMarkAll}));
    EXPECT_EQ(ItemMarks(), QStringList({"U", "U", "U"}));
    EXPECT_TRUE(PrintSet().isEmpty());

    SetItemMark("0001", "C");
    ClickTitle(0);
    EXPECT_EQ(Questions(), QStringList({kMarkAll, kUnmarkAll}));
    EXPECT_EQ(ItemMarks(), QStringList({"C", "U", "U"}));
}

TEST_F(MarkAll, YesOnAMarkedItemUnmarksEveryItemAndEmptiesThePrintSetWhileLabelsKeepTheirTicks)
{
    SetLabelMark(B12, "C");
    Open();
    ui.Answers << true;
    ClickTitle(0);
    GoToItem("0003");
    ASSERT_EQ(ItemMarks(), QStringList({"C", "C", "C"}));

    ui.Answers << true;
    ClickTitle(0);
    EXPECT_EQ(Questions().last(), kUnmarkAll);
    EXPECT_EQ(ItemMarks(), QStringList({"U", "U", "U"}));
    EXPECT_TRUE(PrintSet().isEmpty());
    EXPECT_EQ(LabelMark(B12), "C");
    EXPECT_EQ(Items()->RecNo(), 3);
    GoToItem("0001");
    EXPECT_EQ(LabelRows(), QStringList({B12, B11, B13}));
}

TEST_F(MarkAll, ACurrentItemWhoseMarkIsNeitherIsTreatedAsUnmarked)
{
    SetItemMark("0002", "X");
    Open();
    GoToItem("0002");
    MarkAllAnsweringYes();
}

} // namespace
