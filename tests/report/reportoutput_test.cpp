// Preview, print and report editing through their dialogs, answered by the tests.
#include "framework/report/reportoutput.h"
#include "pdfpages.h"
#include "platform/errors.h"
#include "printset.h"

#include <QDir>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ReportOutputTest : public ::testing::Test {
protected:
    QString Pdf() const { return QDir(dir.path()).filePath("printed.pdf"); }
    QTemporaryDir dir;
    TReportOutput output;
    TReportLayout layout = Est990().layouts.first();
    int dialogs = 0;
};

TEST_F(ReportOutputTest, PreviewShowsOnePagePerFullGridInItsWindow)
{
    int pages = -1;
    QString caption;
    output.RunPreview = [&](QPrintPreviewDialog& dialog) {
        ++dialogs;
        caption = dialog.windowTitle();
        auto* preview = dialog.findChild<QPrintPreviewWidget*>();
        ASSERT_NE(preview, nullptr);
        preview->updatePreview();
        pages = preview->pageCount();
    };
    const auto printSet = MakePrintSet(InvoiceLabels(30));
    output.Preview(layout, *printSet, nullptr, "Etiquetas de recebimento");
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(pages, 3);
    EXPECT_TRUE(caption.contains("Etiquetas de recebimento")) << caption.toStdString();
}

TEST_F(ReportOutputTest, PrintGoesToTheFileTheUserChoseOnTheLayoutsPaper)
{
    output.RunPrintDialog = [&](QPrintDialog& dialog) {
        ++dialogs;
        dialog.printer()->setOutputFormat(QPrinter::PdfFormat);
        dialog.printer()->setOutputFileName(Pdf());
        return true;
    };
    QStringList expected;
    const auto printSet = MakePrintSet(InvoiceLabels(16, &expected));
    EXPECT_TRUE(output.Print(layout, *printSet, nullptr));
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(PdfPageCount(Pdf()), 2);
    QStringList found;
    for (const TFoundBarcode& f : DecodeBarcodes(RasterizePdf(Pdf(), dir.path(), 200)))
        found.append(f.text);
    found.sort();
    EXPECT_EQ(found, expected);
}

TEST_F(ReportOutputTest, CancelledOrEmptyPrintPrintsNothing)
{
    output.RunPrintDialog = [&](QPrintDialog& dialog) {
        ++dialogs;
        dialog.printer()->setOutputFileName(Pdf());
        return false;
    };
    const auto printSet = MakePrintSet(InvoiceLabels(3));
    EXPECT_FALSE(output.Print(layout, *printSet, nullptr));
    EXPECT_EQ(dialogs, 1);
    EXPECT_FALSE(QFileInfo::exists(Pdf()));

    printSet->EmptyDataSet();
    EXPECT_FALSE(output.Print(layout, *printSet, nullptr));
    EXPECT_EQ(dialogs, 1);
}

TEST_F(ReportOutputTest, FaultyDataRaisesBeforeAnyDialogOpens)
{
    output.RunPreview = [&](QPrintPreviewDialog&) { ++dialogs; };
    output.RunPrintDialog = [&](QPrintDialog&) { return ++dialogs > 0; };
    QList<TPrintSetRow> rows = InvoiceLabels(2);
    rows[0].barcode.clear();
    const auto printSet = MakePrintSet(rows);
    EXPECT_THROW(output.Preview(layout, *printSet, nullptr), Exception);
    EXPECT_THROW(output.Print(layout, *printSet, nullptr), Exception);
    EXPECT_EQ(dialogs, 0);
}

TEST_F(ReportOutputTest, EditingOpensTheDefinitionFileInTheEditor)
{
    QList<QUrl> opened;
    bool opens = true;
    output.OpenUrl = [&](const QUrl& url) {
        opened.append(url);
        return opens;
    };
    const QString path = Est990().path;
    output.EditDefinition(path);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first().toLocalFile(), QFileInfo(path).absoluteFilePath());

    opens = false;
    EXPECT_THROW(output.EditDefinition(path), Exception);
    EXPECT_THROW(output.EditDefinition(QDir(dir.path()).filePath("EST000.json")), Exception);
    EXPECT_EQ(opened.size(), 2);
}

}  // namespace
