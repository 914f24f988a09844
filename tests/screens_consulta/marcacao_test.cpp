// Marking labels and how the label grid draws them: which labels can be marked, the order
// block, the keys of both grids, status texts and colours, and the mark glyphs.

#include "consultafixture.h"

#include "framework/canvas.h"
#include "package/pkg_est99000.h"

#include <QTest>

namespace {

const QString kNota1 = QStringLiteral("0000000001");

bool IsRed(QRgb c)
{
    return qRed(c) > 180 && qGreen(c) < 90 && qBlue(c) < 90;
}

bool IsGreen(QRgb c)
{
    return qGreen(c) > 90 && qRed(c) < 60 && qBlue(c) < 60;
}

} // namespace

class Marcacao : public ConsultaTest {
protected:
    void SetUp() override
    {
        ConsultaTest::SetUp();
        OpenLabels();
    }

    // Makes the label with this barcode current in the grid of its item (item already current).
    int RowOf(const QString& barcode) const { return ListedLabels().indexOf(barcode); }

    QString MarkOf(const QString& barcode) const
    {
        return tela->cdsEtiqueta->Lookup(QStringLiteral("CDCODBARRAETIQ"), {barcode}, QStringLiteral("IDCHECK"))
            .toString();
    }

    // The label grid as painted, and the rectangle of one cell in it.
    QImage Painted() const { return tela->dbgEtiquetaGerada->viewport()->grab().toImage(); }
    QRect Cell(int row, const char* field) const
    {
        TDBGrid* grid = tela->dbgEtiquetaGerada;
        return grid->visualRect(grid->model()->index(row, grid->ColumnByField(QLatin1String(field))->Index()));
    }
    // The glyph's pixel (x, y) as painted in a row's mark cell.
    QRgb GlyphPixel(const QImage& painted, int row, int x, int y) const
    {
        const QRect cell = Cell(row, "IDCHECK");
        const int offset = int(cell.width() / 2.0 - 16 / 2.0);
        return painted.pixel(cell.left() + offset + x, cell.top() + y);
    }
    int CountPixels(const QImage& painted, const QRect& rect, bool (*test)(QRgb)) const
    {
        int count = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                count += test(painted.pixel(x, y)) ? 1 : 0;
        return count;
    }
};

TEST_F(Marcacao, DoubleClickMarksAndUnmarksAnActiveLabelAndCountsTheToggles)
{
    const QString label = Barcode(kNota1, "0001", "00003");
    DoubleClickLabel(RowOf(label));
    EXPECT_EQ(MarkOf(label), QStringLiteral("C"));
    EXPECT_EQ(inEtiqMark, 1);
    DoubleClickLabel(RowOf(label));
    EXPECT_EQ(MarkOf(label), QStringLiteral("U"));
    EXPECT_EQ(inEtiqMark, 0);
    EXPECT_EQ(tela->cdsEtiqueta->State(), TDataSetState::Browse);
    EXPECT_TRUE(ui.Entries.isEmpty());
}

TEST_F(Marcacao, ReservedInactiveAndUnknownStatusLabelsCannotBeToggled)
{
    ClickItem(1);
    for (const char* seq : {"00001", "00002", "ABCDE"}) {
        const QString label = Barcode(kNota1, "0002", seq);
        DoubleClickLabel(RowOf(label));
        EXPECT_EQ(MarkOf(label), QStringLiteral("U")) << seq;
    }
    // Only the active label 00004, which comes marked from the server, counts.
    EXPECT_EQ(inEtiqMark, 1);
    EXPECT_TRUE(ui.Entries.isEmpty());
}

TEST_F(Marcacao, ALabelTiedToAnOrderCannotBeMarkedButCanBeUnmarked)
{
    ClickItem(1);
    const QString blocked = Barcode(kNota1, "0002", "00003");
    DoubleClickLabel(RowOf(blocked));
    EXPECT_EQ(ui.Log(), QStringList{QStringLiteral(
                            "error: Operação Bloqueada! Já possui pedido (PV-000907) relacionado a etiqueta.")});
    EXPECT_EQ(MarkOf(blocked), QStringLiteral("U"));
    EXPECT_EQ(inEtiqMark, 1) << "the tick of 00004, marked by the server";
    EXPECT_EQ(tela->cdsEtiqueta->State(), TDataSetState::Browse);

    const QString marked = Barcode(kNota1, "0002", "00004");
    ui.Clear();
    DoubleClickLabel(RowOf(marked));
    EXPECT_TRUE(ui.Entries.isEmpty());
    EXPECT_EQ(MarkOf(marked), QStringLiteral("U"));
    // The counter follows the ticks shown, never below them.
    EXPECT_EQ(inEtiqMark, 0);
}

TEST_F(Marcacao, ALabelWithoutAnyMarkCountsAsUnmarked)
{
    ClickItem(1);
    const QString label = Barcode(kNota1, "0002", "00006");
    DoubleClickLabel(RowOf(label));
    EXPECT_EQ(MarkOf(label), QStringLiteral("C"));
    EXPECT_EQ(inEtiqMark, 2) << "with the tick of 00004, marked by the server";
}

TEST_F(Marcacao, SpaceTogglesLikeADoubleClickAndDeleteRemovesNothingFromEitherGrid)
{
    TDBGrid* labels = tela->dbgEtiquetaGerada;
    labels->setFocus();
    Key(labels, Qt::Key_Down);
    const QString second = ListedLabels().at(1);
    Key(labels, Qt::Key_Space);
    EXPECT_EQ(MarkOf(second), QStringLiteral("C"));
    EXPECT_EQ(inEtiqMark, 1);

    Key(labels, Qt::Key_Delete);
    Key(labels, Qt::Key_Delete, Qt::ControlModifier);
    Key(tela->dbgItemProduto, Qt::Key_Delete);
    Key(tela->dbgItemProduto, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(tela->cdsEtiqueta->RecordCount(), 6);
    EXPECT_EQ(tela->cdsProdEtiq->RecordCount(), 4);
    EXPECT_TRUE(ui.Entries.isEmpty()) << ui.Log().join('\n').toStdString();
}

TEST_F(Marcacao, StatusesShowTheirNamesAndAnUnknownOneShowsNothing)
{
    ClickItem(1);
    TDBGrid* grid = tela->dbgEtiquetaGerada;
    const int column = grid->ColumnByField(QStringLiteral("IDSTATUSETIQ"))->Index();
    QStringList shown;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        shown << grid->model()->index(row, column).data().toString();
    EXPECT_EQ(shown, (QStringList{"Ativa", "Ativa", "Ativa", "Inativa", "Reservada", ""}));
    EXPECT_EQ(grid->model()->headerData(column, Qt::Horizontal).toString(), QStringLiteral("Situação"));
}

TEST_F(Marcacao, InactiveLabelsAreWrittenInRedAndReservedOnesInGreen)
{
    ClickItem(1);
    tela->dbgItemProduto->setFocus();
    const QImage painted = Painted();
    const QStringList listed = ListedLabels();
    const int inactive = listed.indexOf(Barcode(kNota1, "0002", "00002"));
    const int reserved = listed.indexOf(Barcode(kNota1, "0002", "00001"));
    const int active = listed.indexOf(Barcode(kNota1, "0002", "00003"));
    for (const char* field : {"VRPESOETIQ", "CDCODBARRAETIQ", "IDSTATUSETIQ"}) {
        EXPECT_GT(CountPixels(painted, Cell(inactive, field), IsRed), 5) << field;
        EXPECT_GT(CountPixels(painted, Cell(reserved, field), IsGreen), 5) << field;
        EXPECT_EQ(CountPixels(painted, Cell(active, field), IsRed), 0) << field;
        EXPECT_EQ(CountPixels(painted, Cell(active, field), IsGreen), 0) << field;
    }
}

TEST_F(Marcacao, MarkCellsShowATickedAnEmptyOrAGreyBoxOnTheCellBackground)
{
    ClickItem(1);
    const QString checked = Barcode(kNota1, "0002", "00004");
    const QStringList listed = ListedLabels();
    tela->dbgItemProduto->setFocus();
    const QImage painted = Painted();
    const QColor background = tela->dbgEtiquetaGerada->Color();
    const QRgb olive = qRgb(128, 128, 0);

    const int tick = listed.indexOf(checked);
    EXPECT_EQ(GlyphPixel(painted, tick, 3, 3), qRgb(0, 0, 0)) << "box edge";
    EXPECT_EQ(GlyphPixel(painted, tick, 7, 10), qRgb(0, 0, 0)) << "tick";
    EXPECT_EQ(GlyphPixel(painted, tick, 11, 11), qRgb(255, 255, 255)) << "inside";
    const int empty = listed.indexOf(Barcode(kNota1, "0002", "00003"));
    EXPECT_EQ(GlyphPixel(painted, empty, 7, 10), qRgb(255, 255, 255));
    for (const char* seq : {"00001", "00002", "ABCDE", "00006"}) {
        const int grey = listed.indexOf(Barcode(kNota1, "0002", seq));
        EXPECT_EQ(GlyphPixel(painted, grey, 7, 10), qRgb(192, 192, 192)) << seq;
    }
    // Olive is never painted: the background shows around the box, and no mark letter either.
    for (int row = 0; row < listed.size(); ++row) {
        EXPECT_EQ(GlyphPixel(painted, row, 0, 0), background.rgb()) << row;
        EXPECT_EQ(CountPixels(painted, Cell(row, "IDCHECK"), [](QRgb c) { return c == qRgb(128, 128, 0); }), 0);
    }
    Q_UNUSED(olive);
}

TEST_F(Marcacao, MarksSetBeforeAnItemMoveStayTickedAfterComingBack)
{
    MarkLabels({0, 1});
    ClickItem(1);
    ClickItem(0);
    tela->dbgItemProduto->setFocus();
    const QImage painted = Painted();
    EXPECT_EQ(GlyphPixel(painted, 0, 7, 10), qRgb(0, 0, 0));
    EXPECT_EQ(GlyphPixel(painted, 1, 7, 10), qRgb(0, 0, 0));
    EXPECT_EQ(GlyphPixel(painted, 2, 7, 10), qRgb(255, 255, 255));
    // The counter and Group follow the ticks shown.
    EXPECT_EQ(inEtiqMark, 2);
    EXPECT_TRUE(tela->btnAgrupar->isEnabled());
}

TEST(Glyphs, AreSixteenSquareBoxesOnOliveWithWhiteTickedOrGreyInsides)
{
    TfrmConsDesEtiq tela;
    for (const QImage* glyph : {&tela.imgCheck, &tela.imgUncheck, &tela.imgDescheck}) {
        EXPECT_EQ(glyph->size(), QSize(16, 16));
        EXPECT_EQ(glyph->pixelColor(0, 0), TfrmConsDesEtiq::GlyphTransparentColor());
        EXPECT_EQ(glyph->pixelColor(15, 15), QColor(128, 128, 0));
        EXPECT_EQ(glyph->pixelColor(3, 3), QColor(Qt::black));
        EXPECT_EQ(glyph->pixelColor(12, 3), QColor(Qt::black));
        EXPECT_EQ(glyph->pixelColor(3, 12), QColor(Qt::black));
        EXPECT_EQ(glyph->pixelColor(13, 13), QColor(128, 128, 0)) << "the box is 10 x 10";
    }
    EXPECT_EQ(tela.imgCheck.pixelColor(12, 12), QColor(Qt::white));
    EXPECT_EQ(tela.imgCheck.pixelColor(7, 10), QColor(Qt::black));
    EXPECT_EQ(tela.imgUncheck.pixelColor(7, 10), QColor(Qt::white));
    EXPECT_EQ(tela.imgDescheck.pixelColor(7, 10), QColor(192, 192, 192));
}
