// Label-printer layouts printed as ZPL to a network printer, here a listener on a loopback port
// the system picks: the bytes it receives are one well-formed format per label of the print set,
// in barcode order, with UTF-8 text and the barcode as the printer's Code 128 field.
#include "framework/report/reportoutput.h"
#include "framework/report/zpllabels.h"
#include "platform/errors.h"
#include "printset.h"
#include "support/loopbackprinter.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QSpinBox>

#include <gtest/gtest.h>

namespace {

TLabelPrinterDestination Network(int port)
{
    TLabelPrinterDestination destination;
    destination.kind = TLabelPrinterDestination::TKind::Network;
    destination.host = QStringLiteral("127.0.0.1");
    destination.port = port;
    return destination;
}

class LabelPrinterLayouts : public ::testing::TestWithParam<int> {
protected:
    TReportLayout Layout() const { return Est990().layouts.at(GetParam()); }
    TReportOutput output;
};

TEST_P(LabelPrinterLayouts, ThePrinterGetsOneFormatPerLabelWithTheBarcodesInOrderAndUtf8Text)
{
    const TReportLayout layout = Layout();
    ASSERT_TRUE(layout.IsLabelPrinter());
    QList<TPrintSetRow> rows = InvoiceLabels(7);
    // Carets, tildes and the escape character in the data are printed, never obeyed.
    rows.append({QStringLiteral("CAIXA ^XZ~JA_50 Ç"), QStringLiteral("L9"), QStringLiteral("00010000000123000900001"), 3.5});
    const auto printSet = MakePrintSet(rows);
    QStringList expected;
    for (const TPrintSetRow& row : rows)
        expected.append(row.barcode);
    expected.sort();

    TLoopbackPrinter printer;
    ASSERT_GT(printer.Port(), 0);
    output.RunLabelPrinterDialog = [&](TLabelPrinterDialog& dialog) {
        EXPECT_EQ(dialog.edtPorta->value(), 9100);  // a network printer's raw port unless told otherwise
        dialog.SetDestination(Network(printer.Port()));
        return true;
    };
    ASSERT_TRUE(output.Print(layout, *printSet, nullptr));
    const QByteArray zpl = printer.Received();

    const QList<TZplLabels::TFormat> formats = TZplLabels::Parse(zpl);
    ASSERT_EQ(formats.size(), rows.size());
    QStringList barcodes;
    QStringList names;
    for (const TZplLabels::TFormat& format : formats) {
        EXPECT_TRUE(format.utf8);
        ASSERT_EQ(format.barcodes.size(), 1);
        barcodes += format.barcodes;
        ASSERT_FALSE(format.texts.isEmpty());
        names.append(format.texts.first());
        EXPECT_TRUE(format.texts.contains(QStringLiteral("NF: 123      Série: 1"))) << format.texts.join('|').toStdString();
        EXPECT_EQ(format.texts.last(), format.barcodes.first());  // the barcode's text under the bars
    }
    EXPECT_EQ(barcodes, expected);
    EXPECT_TRUE(names.contains(QStringLiteral("CAIXA ^XZ~JA_50 Ç")));
    EXPECT_TRUE(zpl.contains(QStringLiteral("AÇO").toUtf8()));
    EXPECT_EQ(zpl.count("^BC"), rows.size());
    EXPECT_EQ(output.LabelPrinter.port, printer.Port());  // the destination chosen, for the next print
}

TEST_P(LabelPrinterLayouts, PreviewShowsOneLabelPerPageOfTheLabelsSize)
{
    int pages = -1;
    QSizeF paper;
    output.RunPreview = [&](QPrintPreviewDialog& dialog) {
        auto* preview = dialog.findChild<QPrintPreviewWidget*>();
        ASSERT_NE(preview, nullptr);
        preview->updatePreview();
        pages = preview->pageCount();
        paper = dialog.printer()->pageLayout().fullRect(QPageLayout::Millimeter).size();
        // EST_KEEP_PREVIEW=<dir> keeps a picture of the window, e.g. for docs/.
        if (const QString keep = qEnvironmentVariable("EST_KEEP_PREVIEW"); !keep.isEmpty()) {
            dialog.resize(900, 640);
            dialog.show();
            preview->setZoomMode(QPrintPreviewWidget::FitInView);
            QApplication::processEvents();
            dialog.grab().save(QDir(keep).filePath(QStringLiteral("etiqueta-termica-%1x%2.png")
                                                       .arg(Layout().labelMm.width())
                                                       .arg(Layout().labelMm.height())));
        }
    };
    output.Preview(Layout(), *MakePrintSet(InvoiceLabels(5)), nullptr, "Etiquetas de recebimento");
    EXPECT_EQ(pages, 5);
    EXPECT_NEAR(paper.width(), Layout().labelMm.width(), 0.5);
    EXPECT_NEAR(paper.height(), Layout().labelMm.height(), 0.5);
}

INSTANTIATE_TEST_SUITE_P(Est990, LabelPrinterLayouts, ::testing::Values(2, 3));

TEST(ZplOutput, AnUnreachablePrinterOrACancelledDialogPrintsNothingAndSaysWhy)
{
    const auto printSet = MakePrintSet(InvoiceLabels(2));
    const TReportLayout layout = Est990().layouts.at(2);
    TReportOutput output;
    int port = 0;
    {
        TLoopbackPrinter closed;  // a port nobody listens on once it is gone
        port = closed.Port();
    }
    output.RunLabelPrinterDialog = [&](TLabelPrinterDialog& dialog) {
        dialog.SetDestination(Network(port));
        return true;
    };
    try {
        output.Print(layout, *printSet, nullptr);
        ADD_FAILURE() << "printing to a closed port succeeded";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("127.0.0.1:%1").arg(port))) << e.Message().toStdString();
    }
    output.RunLabelPrinterDialog = [](TLabelPrinterDialog&) { return false; };
    EXPECT_FALSE(output.Print(layout, *printSet, nullptr));

    // Malformed ZPL is refused when read back.
    for (const QByteArray& bad : {QByteArray("^XA^FDa^XZ"), QByteArray("^XA^FDa^FS"), QByteArray("x^XA^XZ"),
                                 QByteArray("^XA^XA^XZ")})
        EXPECT_THROW(TZplLabels::Parse(bad), Exception) << bad.constData();
}

}  // namespace
