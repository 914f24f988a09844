// Choosing labels for the report: the print set at opening, the item and label toggles by
// double-click and by key, and how the print set follows the two kinds of mark.

#include "reportscreenfixture.h"

#include <QTest>

namespace {

const QString B11 = Barcode("0001", 1), B12 = Barcode("0001", 2), B13 = Barcode("0001", 3);
const QString B21 = Barcode("0002", 1), B22 = Barcode("0002", 2);

class Selection : public ReportScreenTest {
protected:
    void DoubleClickRow(TDBGrid* grid, int row)
    {
        const QRect cell = grid->visualRect(grid->model()->index(row, 1));
        ASSERT_TRUE(cell.isValid()) << "row " << row;
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }
    void ToggleItem(const QString& item)
    {
        GoToItem(item);
        DoubleClickRow(screen->dbgItemProduto, Items()->RecNo() - 1);
    }
    // Double-clicks the label's row in the label grid, wherever its mark has put it.
    void ToggleLabel(const QString& barcode)
    {
        const int row = LabelRows().indexOf(barcode);
        ASSERT_GE(row, 0) << barcode.toStdString() << " is not listed";
        DoubleClickRow(screen->dbgEtiquetaGerada, row);
    }
};

TEST_F(Selection, OpeningPutsTheLabelsMarkedByThemselvesAndTheNewlyMadeOnesInThePrintSet)
{
    SetLabelMark(B21, "C");
    SetItemMark("0001", "C");        // item marks do not count at the opening
    AddMadeLabel("0001", 4, 0.75);   // made by grouping
    AddMadeLabel("0002", 3, 2.0);    // made by splitting
    Open();
    EXPECT_EQ(PrintSet(), QStringList({Barcode("0001", 4), B21, Barcode("0002", 3)}));
    // The label grid is back on the current item's labels, marked ones first.
    EXPECT_EQ(Items()->RecNo(), 1);
    EXPECT_EQ(LabelRows(), QStringList({Barcode("0001", 4), B12, B11, B13}));
    EXPECT_TRUE(ui.Entries.isEmpty()) << ui.Log().join('\n').toStdString();
}

TEST_F(Selection, MarkingAnItemAddsEachOfItsLabelsOnceAlsoOneAlreadyMarkedByItself)
{
    Open();
    ToggleLabel(B12);
    EXPECT_EQ(PrintSet(), QStringList({B12}));
    ToggleItem("0001");
    EXPECT_EQ(ItemMark("0001"), "C");
    EXPECT_EQ(PrintSet(), QStringList({B11, B12, B13}));
    // The copy carries the label's own mark at that moment.
    ASSERT_TRUE(screen->cdsRelEtiquetas->Locate("CDCODBARRAETIQ", {B11}));
    EXPECT_EQ(screen->cdsRelEtiquetas->FieldByName("IDCHECK")->AsString(), "U");
    EXPECT_EQ(screen->cdsRelEtiquetas->FieldByName("NMPRODUTO")->AsString(), "ARROZ TIPO 1");
    EXPECT_DOUBLE_EQ(screen->cdsRelEtiquetas->FieldByName("VRPESOETIQ")->AsFloat(), 2.5);
    EXPECT_EQ(screen->cdsRelEtiquetas->FieldByName("DTVALILOTE")->AsDateTime().date(), QDate(2027, 3, 31));
}

TEST_F(Selection, UnmarkingAnItemDropsItsLabelsButKeepsThoseMarkedByThemselves)
{
    Open();
    ToggleLabel(B13);
    ToggleItem("0001");
    ToggleItem("0002");
    ToggleItem("0001");
    EXPECT_EQ(ItemMark("0001"), "U");
    EXPECT_EQ(LabelMark(B13), "C");
    EXPECT_EQ(PrintSet(), QStringList({B13, B21, B22}));
}

TEST_F(Selection, UnmarkingALabelKeepsItInThePrintSetOnlyWhileItsItemIsMarked)
{
    Open();
    ToggleItem("0001");
    ToggleLabel(B11);
    EXPECT_EQ(LabelMark(B11), "C");
    ToggleLabel(B11);
    EXPECT_EQ(LabelMark(B11), "U");
    EXPECT_EQ(PrintSet(), QStringList({B11, B12, B13}));

    ToggleItem("0002");   // moves to the second item
    ToggleItem("0002");
    ToggleLabel(B21);
    ToggleLabel(B21);
    EXPECT_EQ(PrintSet(), QStringList({B11, B12, B13}));
}

TEST_F(Selection, ALabelsRowStaysWhereItIsWhenMarkedAndTheQueryScreensOrderComesBackOnClosing)
{
    const QString queryOrder = Labels()->IndexName();
    Open();
    // By weight: 1.0, 2.5, 3.0, whatever the marks.
    EXPECT_EQ(LabelRows(), QStringList({B12, B11, B13}));
    ToggleLabel(B13);
    EXPECT_EQ(LabelMark(B13), "C");
    EXPECT_EQ(LabelRows(), QStringList({B12, B11, B13}));
    EXPECT_EQ(screen->dbgEtiquetaGerada->currentIndex().row(), 2);
    ToggleLabel(B11);
    EXPECT_EQ(LabelRows(), QStringList({B12, B11, B13}));
    EXPECT_EQ(screen->dbgEtiquetaGerada->currentIndex().row(), 1);
    EXPECT_EQ(Labels()->FieldByName("CDCODBARRAETIQ")->AsString(), B11);
    CloseScreen();
    EXPECT_EQ(Labels()->IndexName(), queryOrder);
}

TEST_F(Selection, DeleteDoesNothingInEitherGrid)
{
    Open();
    for (TDBGrid* grid : {screen->dbgItemProduto, screen->dbgEtiquetaGerada}) {
        QTest::keyClick(grid, Qt::Key_Delete);
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    }
    EXPECT_EQ(Items()->RecordCount(), 3);
    EXPECT_EQ(LabelRows(), QStringList({B12, B11, B13}));
    EXPECT_EQ(ItemMarks(), QStringList({"U", "U", "U"}));
    EXPECT_TRUE(PrintSet().isEmpty());
    EXPECT_TRUE(ui.Entries.isEmpty()) << ui.Log().join('\n').toStdString();
}

TEST_F(Selection, SpaceTogglesTheCurrentRowOfEachGridAsADoubleClickDoes)
{
    Open();
    GoToItem("0002");
    QTest::keyClick(screen->dbgItemProduto, Qt::Key_Space);
    EXPECT_EQ(ItemMarks(), QStringList({"U", "C", "U"}));
    EXPECT_EQ(PrintSet(), QStringList({B21, B22}));

    GoToLabel(B22);
    QTest::keyClick(screen->dbgEtiquetaGerada, Qt::Key_Space);
    EXPECT_EQ(LabelMark(B22), "C");
    QTest::keyClick(screen->dbgItemProduto, Qt::Key_Space);
    EXPECT_EQ(ItemMark("0002"), "U");
    EXPECT_EQ(PrintSet(), QStringList({B22}));
    GoToLabel(B22);
    QTest::keyClick(screen->dbgEtiquetaGerada, Qt::Key_Space);
    EXPECT_EQ(LabelMark(B22), "U");
    EXPECT_TRUE(PrintSet().isEmpty());
    EXPECT_EQ(Items()->RecNo(), 2);
}

TEST_F(Selection, AMarkOtherThanUnmarkedOrMarkedCountsAsUnmarkedAndTogglesToMarked)
{
    SetItemMark("0002", "X");
    SetLabelMark(B11, QString());
    Open();
    EXPECT_TRUE(PrintSet().isEmpty());
    ToggleItem("0002");
    EXPECT_EQ(ItemMark("0002"), "C");
    EXPECT_EQ(PrintSet(), QStringList({B21, B22}));

    // A label whose mark is neither leaves the print set with its item, as an unmarked one does.
    ToggleItem("0001");
    ToggleItem("0001");
    EXPECT_EQ(PrintSet(), QStringList({B21, B22}));
    SetLabelMark(B11, "?");
    ToggleLabel(B11);
    EXPECT_EQ(LabelMark(B11), "C");
    EXPECT_EQ(PrintSet(), QStringList({B11, B21, B22}));
}

TEST_F(Selection, AnItemWithoutLabelsCanBeMarkedAndItsEmptyLabelGridAddsNoLabel)
{
    Open();
    GoToItem("0003");
    EXPECT_TRUE(LabelRows().isEmpty());
    screen->dbgEtiquetaGeradaDblClick(screen->dbgEtiquetaGerada);
    QTest::keyClick(screen->dbgEtiquetaGerada, Qt::Key_Space);
    EXPECT_TRUE(LabelRows().isEmpty());
    EXPECT_EQ(Labels()->State(), TDataSetState::Browse);
    QTest::keyClick(screen->dbgItemProduto, Qt::Key_Space);
    EXPECT_EQ(ItemMark("0003"), "C");
    EXPECT_TRUE(PrintSet().isEmpty());
    EXPECT_TRUE(ui.Texts(TUiEntryKind::Error).isEmpty()) << ui.Log().join('\n').toStdString();
}

} // namespace
