#include "fixtures.h"

#include "framework/canvas.h"
#include "framework/dbgrid.h"
#include "framework/dbgridmodel.h"
#include "framework/edit.h"
#include "platform/datasource.h"
#include "platform/errors.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

class Grid : public UiTest {
protected:
    std::unique_ptr<TClientDataSet> set = MakeSet(NumberedRows(5));
    TDataSource source;
    QWidget window;
    TDBGrid* grid = new TDBGrid(&window, QStringLiteral("dbgPadrao"));
    TEdit* other = new TEdit(&window);

    void SetUp() override
    {
        source.SetDataSet(set.get());
        grid->SetDataSource(&source);
        grid->AddColumn(QStringLiteral("CODE"), 60);
        grid->AddColumn(QStringLiteral("NAME"), 200, QString(), TAlignment::Right);
        grid->AddColumn(QStringLiteral("STATUS"), 40, QStringLiteral("St"));
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(grid);
        layout->addWidget(other);
        window.resize(400, 300);
        ShowActive(window);
        grid->setFocus();
    }

    int GridRow() const { return grid->currentIndex().row(); }
    QString Cell(int row, int col) const { return grid->model()->index(row, col).data().toString(); }
    QRect CellRect(int row, int col) const { return grid->visualRect(grid->model()->index(row, col)); }
};

TEST_F(Grid, ShowsTheColumnsWithTheirTitlesWidthsAndTheFieldsDisplayTexts)
{
    EXPECT_EQ(grid->model()->rowCount(), 5);
    EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Código"));
    EXPECT_EQ(grid->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("St"));
    EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>()
                  & Qt::AlignHorizontal_Mask,
              Qt::AlignRight);
    EXPECT_EQ(grid->horizontalHeader()->sectionSize(1), 200);
    set->FieldByName(QStringLiteral("STATUS"))->OnGetText = [](TField* field, QString& text, bool) {
        text = field->AsString() == QLatin1String("A") ? QStringLiteral("Ativa") : QString();
    };
    EXPECT_EQ(Cell(3, 1), QStringLiteral("Item 4"));
    EXPECT_EQ(Cell(3, 2), QStringLiteral("Ativa"));
    EXPECT_EQ(set->RecNo(), 1);
}

TEST_F(Grid, TheGridFollowsTheCursor)
{
    set->SetRecNo(3);
    EXPECT_EQ(GridRow(), 2);
    set->Next();
    EXPECT_EQ(GridRow(), 3);
    set->Last();
    EXPECT_EQ(GridRow(), 4);
    EXPECT_TRUE(grid->selectionModel()->isRowSelected(4, QModelIndex()));
}

TEST_F(Grid, TheCursorFollowsTheGrid)
{
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(set->RecNo(), 3);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellRect(4, 1).center());
    EXPECT_EQ(set->RecNo(), 5);
    EXPECT_EQ(set->FieldByName(QStringLiteral("CODE"))->AsString(), QStringLiteral("0005"));
}

TEST_F(Grid, AMoveTheRecordSetRefusesPutsTheGridBack)
{
    set->BeforeScroll = [](TClientDataSet*) { throw EDatabaseError(QStringLiteral("Registro bloqueado.")); };
    QTest::keyClick(grid, Qt::Key_Down);
    QCoreApplication::processEvents();
    EXPECT_EQ(set->RecNo(), 1);
    EXPECT_EQ(GridRow(), 0);
    EXPECT_EQ(ui.Texts(TUiEntryKind::Error), QStringList{QStringLiteral("Registro bloqueado.")});
}

TEST_F(Grid, AWalkWithControlsDisabledRefreshesTheGridOnceWhenItEnds)
{
    QSignalSpy resets(grid->model(), &QAbstractItemModel::modelReset);
    QSignalSpy updates(grid->model(), &QAbstractItemModel::dataChanged);
    set->DisableControls();
    for (set->First(); !set->Eof(); set->Next()) {
        set->Edit();
        set->FieldByName(QStringLiteral("NAME"))->SetAsString(QStringLiteral("Novo ") + set->FieldByName(QStringLiteral("CODE"))->AsString());
        set->Post();
    }
    set->Append();
    set->FieldByName(QStringLiteral("CODE"))->SetAsString(QStringLiteral("0006"));
    set->Post();
    set->SetRecNo(2);
    EXPECT_EQ(resets.count(), 0);
    set->EnableControls();
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(updates.count(), 0);
    EXPECT_EQ(grid->model()->rowCount(), 6);
    EXPECT_EQ(Cell(4, 1), QStringLiteral("Novo 0005"));
    EXPECT_EQ(GridRow(), 1);
}

TEST_F(Grid, KeyDownHandlersSeeVirtualKeyCodesAndCanSwallowDelete)
{
    QList<int> keys;
    grid->OnKeyDown = [&](QObject*, int& key, TShiftState) {
        keys.append(key);
        if (key == 46)
            key = 0;
    };
    ui.Answers.enqueue(true);
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    QTest::keyClick(grid, Qt::Key_Space);
    QTest::keyClick(grid, Qt::Key_Return);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(keys, (QList<int>{17, 46, 32, 13, 40}));
    EXPECT_EQ(set->RecordCount(), 5);
    EXPECT_TRUE(ui.Texts(TUiEntryKind::Question).isEmpty());
    EXPECT_EQ(set->RecNo(), 2);  // keys left alone keep their grid meaning
}

TEST_F(Grid, CtrlDeleteDeletesTheCurrentRowOnlyAfterYes)
{
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(set->RecordCount(), 5);
    ui.Answers.enqueue(true);
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(set->RecordCount(), 4);
    EXPECT_EQ(ui.Texts(TUiEntryKind::Question), (QStringList{QStringLiteral("Excluir registro?"), QStringLiteral("Excluir registro?")}));
    grid->ReadOnly = true;
    ui.Answers.enqueue(true);
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(set->RecordCount(), 4);
}

TEST_F(Grid, DoubleClickAndTitleClickReachTheirHandlers)
{
    int doubleClicks = 0;
    QString title;
    grid->OnDblClick = [&](QObject* sender) {
        EXPECT_EQ(sender, grid);
        ++doubleClicks;
    };
    grid->OnTitleClick = [&](TColumn* column) { title = column->FieldName; };
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellRect(2, 0).center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, CellRect(2, 0).center());
    EXPECT_EQ(doubleClicks, 1);
    EXPECT_EQ(set->RecNo(), 3);
    const QHeaderView* header = grid->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(2) + 5, header->height() / 2));
    EXPECT_EQ(title, QStringLiteral("STATUS"));
}

TEST_F(Grid, TheCellDrawingHandlerReadsThePaintedRowAndDrawsGlyphsWithATransparentColour)
{
    QMap<int, QString> codeAtTop;
    const QColor olive = TColorToQColor(0x008080);
    QImage glyph(16, 16, QImage::Format_RGB32);
    glyph.fill(olive);
    glyph.setPixel(8, 8, qRgb(0, 0, 0));
    grid->OnDrawColumnCell = [&](QObject*, const QRect& rect, int, TColumn* column, TGridDrawState) {
        ASSERT_NE(grid->Canvas(), nullptr);
        codeAtTop[rect.top()] = set->FieldByName(QStringLiteral("CODE"))->AsString();
        if (column->FieldName != QLatin1String("STATUS"))
            return;
        TCanvas* canvas = grid->Canvas();
        canvas->Brush.Color = QColor(255, 255, 0);
        canvas->FillRect(rect);
        canvas->BrushCopy(QRect(rect.left(), rect.top(), 16, rect.height()), glyph, QRect(0, 0, 16, rect.height()), olive);
    };
    set->SetRecNo(4);
    const QImage shot = grid->viewport()->grab().toImage();
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(codeAtTop.value(CellRect(row, 0).top()), QStringLiteral("%1").arg(row + 1, 4, 10, QLatin1Char('0')));
    const QRect status = CellRect(1, 2);
    EXPECT_EQ(shot.pixelColor(status.left() + 1, status.top() + 1), QColor(255, 255, 0));
    EXPECT_EQ(shot.pixelColor(status.left() + 8, status.top() + 8), QColor(0, 0, 0));
    EXPECT_EQ(set->RecNo(), 4);
    EXPECT_EQ(grid->Canvas(), nullptr);
}

TEST_F(Grid, LeavingTheGridCancelsAnInsertedRowNobodyTypedInto)
{
    set->OnNewRecord = [](TClientDataSet* dataSet) {
        dataSet->FieldByName(QStringLiteral("STATUS"))->SetAsString(QStringLiteral("A"));
    };
    set->Append();
    other->setFocus();
    EXPECT_EQ(set->State(), TDataSetState::Browse);
    EXPECT_EQ(set->RecordCount(), 5);

    grid->setFocus();
    set->Append();
    set->FieldByName(QStringLiteral("CODE"))->SetAsString(QStringLiteral("0009"));
    other->setFocus();
    EXPECT_EQ(set->State(), TDataSetState::Insert);
}
