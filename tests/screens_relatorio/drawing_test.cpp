// What the two grids paint in their mark columns and the titles they show.

#include "reportscreenfixture.h"

#include "framework/canvas.h"

#include <QTest>

namespace {

const QString B11 = Barcode("0001", 1), B12 = Barcode("0001", 2), B13 = Barcode("0001", 3);

class Drawing : public ReportScreenTest {
protected:
    // Counts the pixels of the mark cell that differ from the glyph centred at the cell's top
    // over the background, the glyph's olive pixels showing the background.
    int Mismatches(TDBGrid* grid, int row, const QImage& glyph, const QColor& background)
    {
        const QImage shot = grid->viewport()->grab().toImage();
        const QRect cell = grid->visualRect(grid->model()->index(row, 0));
        const int left = cell.left() + int(cell.width() / 2.0 - glyph.width() / 2.0);
        const QColor olive = TColorToQColor(0x008080);
        int mismatches = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y) {
            for (int x = cell.left(); x <= cell.right(); ++x) {
                const QPoint at(x - left, y - cell.top());
                QColor expected = background;
                if (glyph.rect().contains(at) && glyph.pixelColor(at).rgb() != olive.rgb())
                    expected = glyph.pixelColor(at);
                if (shot.pixelColor(x, y).rgb() != expected.rgb())
                    ++mismatches;
            }
        }
        return mismatches;
    }
    QColor Highlight(TDBGrid* grid) const { return grid->palette().color(QPalette::Highlight); }
};

TEST_F(Drawing, TheItemMarkColumnShowsTheGlyphOfEachMarkOverTheRowsBackground)
{
    SetItemMark("0002", "C");
    SetItemMark("0003", "X");
    Open();
    const TfrmConsDesEtiq& consulta = *Consulta();
    ASSERT_NE(consulta.imgCheck, consulta.imgUncheck);
    TDBGrid* grid = screen->dbgItemProduto;
    ASSERT_EQ(Items()->RecNo(), 1);
    // The current item keeps its highlight without the focus.
    EXPECT_EQ(Mismatches(grid, 0, consulta.imgUncheck, Highlight(grid)), 0);
    EXPECT_EQ(Mismatches(grid, 1, consulta.imgCheck, grid->Color()), 0);
    EXPECT_EQ(Mismatches(grid, 2, consulta.imgDescheck, grid->Color()), 0);
}

TEST_F(Drawing, TheLabelMarkColumnShowsTheGlyphOfEachMarkAndTheSelectionOnlyWithTheFocus)
{
    SetLabelMark(B11, "C");
    SetLabelMark(B13, QString());
    Open();
    const TfrmConsDesEtiq& consulta = *Consulta();
    TDBGrid* grid = screen->dbgEtiquetaGerada;
    // Listed by weight whatever the marks: unmarked, marked, empty mark.
    ASSERT_EQ(LabelRows(), QStringList({B12, B11, B13}));
    EXPECT_EQ(Mismatches(grid, 0, consulta.imgUncheck, grid->Color()), 0);
    EXPECT_EQ(Mismatches(grid, 1, consulta.imgCheck, grid->Color()), 0);
    EXPECT_EQ(Mismatches(grid, 2, consulta.imgDescheck, grid->Color()), 0);

    grid->setFocus();
    GoToLabel(B11);
    EXPECT_EQ(Mismatches(grid, 1, consulta.imgCheck, Highlight(grid)), 0);
}

TEST_F(Drawing, TheGridsTitleTheirColumnsWithTheFieldCaptions)
{
    Open();
    auto titles = [](TDBGrid* grid) {
        QStringList list;
        for (int c = 1; c < grid->model()->columnCount(); ++c)
            list << grid->model()->headerData(c, Qt::Horizontal).toString();
        return list;
    };
    EXPECT_EQ(titles(screen->dbgItemProduto),
              QStringList({"Código", "Produto", "UN", "Lote", "Validade", "Quantidade"}));
    EXPECT_EQ(titles(screen->dbgEtiquetaGerada), QStringList({"Peso", "Código de barras"}));
    EXPECT_FALSE(screen->dbgItemProduto->model()->headerData(0, Qt::Horizontal).toString().isEmpty());
}

} // namespace
