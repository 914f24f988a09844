// Label sheets printed to PDF and read back: every barcode scans, in barcode order, pages break
// where the layout's grid is full, and the labels show the print set's fields.
#include "framework/report/labelsheetreport.h"
#include "framework/report/reportoutput.h"
#include "pdfpages.h"
#include "platform/errors.h"
#include "printset.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

constexpr int kScanDpi = 200;

// Barcodes found on the sheet, in reading order of the label grid: page, then row, then column.
QStringList InGridOrder(QList<TFoundBarcode> found, const TReportLayout& layout)
{
    const double pxPerMm = kScanDpi / 25.4;
    const auto cell = [&](const TFoundBarcode& f) {
        const int row = int(std::floor((f.center.y() / pxPerMm - layout.marginsMm.top())
                                       / (layout.labelMm.height() + layout.rowGapMm)));
        const int column = int(std::floor((f.center.x() / pxPerMm - layout.marginsMm.left())
                                          / (layout.labelMm.width() + layout.columnGapMm)));
        return std::tuple(f.page, row, column);
    };
    std::sort(found.begin(), found.end(), [&](const auto& a, const auto& b) { return cell(a) < cell(b); });
    QStringList texts;
    for (const TFoundBarcode& f : found)
        texts.append(f.text);
    return texts;
}

QList<int> PerPage(const QList<TFoundBarcode>& found, int pages)
{
    QList<int> counts(pages, 0);
    for (const TFoundBarcode& f : found)
        ++counts[f.page - 1];
    return counts;
}

class LabelSheetLayouts : public ::testing::TestWithParam<int> {
protected:
    QString Pdf() const { return QDir(dir.path()).filePath("labels.pdf"); }
    QTemporaryDir dir;
    TReportOutput output;
};

TEST_P(LabelSheetLayouts, EveryBarcodeScansBackInBarcodeOrderWithAPageBreakWhenAPageIsFull)
{
    const TReportLayout layout = Est990().layouts.at(GetParam());
    QStringList expected;
    const auto printSet = MakePrintSet(InvoiceLabels(30, &expected));

    const int pages = output.PrintToPdf(layout, *printSet, Pdf());
    // EST_KEEP_PDF=<dir> keeps the sheets, e.g. to make the sample picture in docs/.
    if (const QString keep = qEnvironmentVariable("EST_KEEP_PDF"); !keep.isEmpty())
        QFile::copy(Pdf(), QDir(keep).filePath(QStringLiteral("EST990-layout%1.pdf").arg(GetParam())));
    const int perPage = layout.LabelsPerPage();
    EXPECT_EQ(pages, (30 + perPage - 1) / perPage);
    EXPECT_EQ(PdfPageCount(Pdf()), pages);

    const QList<TFoundBarcode> found = DecodeBarcodes(RasterizePdf(Pdf(), dir.path(), kScanDpi));
    EXPECT_EQ(InGridOrder(found, layout), expected);
    QList<int> fullPages(pages, perPage);
    fullPages.last() = 30 - perPage * (pages - 1);
    EXPECT_EQ(PerPage(found, pages), fullPages);
}

INSTANTIATE_TEST_SUITE_P(Est990, LabelSheetLayouts, ::testing::Values(0, 1, 2, 3));

class LabelSheetTest : public LabelSheetLayouts {
protected:
    TReportLayout layout = Est990().layouts.first();
};

TEST_F(LabelSheetTest, EmptyPrintSetGivesOneBlankPage)
{
    const auto printSet = MakePrintSet({});
    EXPECT_EQ(output.PrintToPdf(layout, *printSet, Pdf()), 1);
    EXPECT_EQ(PdfPageCount(Pdf()), 1);
    EXPECT_TRUE(DecodeBarcodes(RasterizePdf(Pdf(), dir.path(), kScanDpi)).isEmpty());
    EXPECT_TRUE(PdfText(Pdf()).trimmed().isEmpty());
}

TEST_F(LabelSheetTest, FullPageBreaksOnlyBeforeTheNextLabel)
{
    const auto printSet = MakePrintSet(InvoiceLabels(layout.LabelsPerPage()));
    EXPECT_EQ(output.PrintToPdf(layout, *printSet, Pdf()), 1);
    EXPECT_EQ(PdfPageCount(Pdf()), 1);
}

TEST_F(LabelSheetTest, LabelsShowTheFieldsInBrazilianFormats)
{
    TPrintSetRow row{QStringLiteral("CHAPA AÇO CARBONO 1020"), QStringLiteral("L2603/7"),
                     QStringLiteral("00010000000123000300007"), 1234.5, 2};
    const auto printSet = MakePrintSet({row});
    output.PrintToPdf(layout, *printSet, Pdf());
    const QString text = PdfText(Pdf()).simplified();
    for (const char* shown : {"CHAPA AÇO CARBONO 1020", "Código: 1.02.0034", "UN: KG", "Lote/Sub-Lote: L2603/7",
                              "Validade: 09/03/2027", "NF: 123", "Série: 1", "Peso: 1234,500", "Quantidade: 2",
                              "00010000000123000300007"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(shown))) << shown << " not in: " << text.toStdString();
}

TEST_F(LabelSheetTest, ReadingPostsAPendingEditAndLeavesTheCursorWhereItWas)
{
    const auto printSet = MakePrintSet(InvoiceLabels(6));
    printSet->SetRecNo(4);
    printSet->Edit();
    printSet->FieldByName("VRPESOETIQ")->SetAsFloat(77.125);
    const QString barcode = printSet->FieldByName("CDCODBARRAETIQ")->AsString();

    const QList<TLabelContent> labels = TLabelSheetReport(layout).ReadLabels(*printSet);
    ASSERT_EQ(labels.size(), 6);
    EXPECT_EQ(printSet->State(), TDataSetState::Browse);
    EXPECT_EQ(printSet->RecNo(), 4);
    EXPECT_EQ(labels.at(3).symbol->Text(), barcode);
    EXPECT_EQ(labels.at(3).lines.last(), "Peso: 77,125      Quantidade: 1");
}

TEST_F(LabelSheetTest, FaultsInTheDataRaiseBeforeAnyFileIsWritten)
{
    QList<TPrintSetRow> rows = InvoiceLabels(3);
    rows[1].barcode.clear();
    auto printSet = MakePrintSet(rows);
    try {
        output.PrintToPdf(layout, *printSet, Pdf());
        ADD_FAILURE() << "a label without barcode was printed";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().contains("não tem código de barras")) << e.what();
    }
    EXPECT_FALSE(QFileInfo::exists(Pdf()));

    TReportLayout unknownField = layout;
    unknownField.lines.append({QStringLiteral("{NRLOTE}"), 0, false, Qt::AlignLeft});
    printSet = MakePrintSet(InvoiceLabels(3));
    EXPECT_THROW(output.PrintToPdf(unknownField, *printSet, Pdf()), EDatabaseError);
    EXPECT_FALSE(QFileInfo::exists(Pdf()));

    printSet->Close();
    EXPECT_THROW(output.PrintToPdf(layout, *printSet, Pdf()), Exception);
}

TEST_F(LabelSheetTest, LinesThatDoNotFitTheLabelAreRefusedInsteadOfCoveringTheBarcode)
{
    TReportLayout crowded = layout;
    for (int i = 0; i < 4; ++i)
        crowded.lines.append({QStringLiteral("{NMPRODUTO}"), 9, true, Qt::AlignLeft});
    const auto printSet = MakePrintSet(InvoiceLabels(2));
    EXPECT_THROW(output.PrintToPdf(crowded, *printSet, Pdf()), Exception);
}

TEST_F(LabelSheetTest, UnwritablePdfPathRaisesNamingThePath)
{
    const auto printSet = MakePrintSet(InvoiceLabels(2));
    const QString path = QDir(dir.path()).filePath("no/such/dir/labels.pdf");
    try {
        output.PrintToPdf(layout, *printSet, path);
        ADD_FAILURE() << "no error for " << path.toStdString();
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().contains(path));
    }
}

}  // namespace
