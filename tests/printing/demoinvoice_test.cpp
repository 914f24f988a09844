// The label sheet of the fixed demonstration invoice, reached as the clerk reaches it: the query
// screen searches the reference server, opens the invoice's items and labels, the print command
// opens the report screen, the clerk chooses a whole item and one label of another, and prints
// through the print dialog to a PDF file with the client's own report engine. The PDF is then
// read back as a scanner would: every barcode on the sheet decodes, and the sheet holds exactly
// the print set, in barcode order. A label made by a split prints one quantity, the one the
// server keeps, and its weight in full, right after the split and after the invoice is read again.

#include "consultafixture.h"

#include "framework/labelsheetengine.h"
#include "framework/session.h"
#include "host/serverprocess/serverprocess.h"
#include "package/pkg_est99000.h"
#include "report/pdfpages.h"
#include "screens/Cli_est99010/cli_est99010.h"
#include "screens/Cli_est99020/cli_est99020.h"
#include "support/labelrows.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <functional>

namespace {

const QString kBranch = QStringLiteral("0001");
const QString kEntry = QStringLiteral("0000000001");

QString SourceDir()
{
    return qEnvironmentVariable("EST_SOURCE_DIR", QStringLiteral(EST_SOURCE_DIR_FALLBACK));
}

void DoubleClickRow(TDBGrid* grid, int row)
{
    const QRect cell = grid->visualRect(grid->model()->index(row, 1));
    ASSERT_TRUE(cell.isValid()) << "row " << row;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

class DemoInvoicePrint : public ConsultaTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(process.Start({"--database", dir.filePath("est.db"), "--init-demo"})) << process.Error().toStdString();
        previousReports = TSession::Instance().ReportsDirectory;
        TSession::Instance().ReportsDirectory = SourceDir() + QStringLiteral("/reports");
        engine.Output().RunPrintDialog = [this](QPrintDialog& dialog) {
            ++printDialogs;
            dialog.printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog.printer()->setOutputFileName(Pdf());
            return true;
        };
        SetReportEngine(&engine);
        ConsultaTest::SetUp();
    }

    void TearDown() override
    {
        ConsultaTest::TearDown();
        SetReportEngine(nullptr);
        TSession::Instance().ReportsDirectory = previousReports;
        process.Stop();
    }

    int ServerPort() const override { return process.Port(); }
    QStringList Errors() const { return ui.Texts(TUiEntryKind::Error); }
    QString Pdf() const { return dir.filePath(QStringLiteral("etiquetas.pdf")); }

    // The search over every branch and supplier, then the fixed invoice's items and labels.
    void OpenDemoInvoice()
    {
        SearchAll();
        ASSERT_TRUE(tela->cdsNotaFiscal->Locate(QStringLiteral("CDFILIAL;NRLANCTONF"), {kBranch, kEntry}));
        ClickTab(tela->tshFormulario);
        ASSERT_EQ(Current(tela->cdsProdEtiq, "NRLANCTONF"), kEntry);
    }

    // The report screen opened by the print command, where `choose` marks what to print; returns
    // each label's "weight|quantity" as the sheet prints it, sorted.
    QStringList PrintedWeightsAndQuantities(const std::function<void(TfrmRelConsDesEtiq*)>& choose)
    {
        ui.OnModal = [&](TForm* form) {
            auto* report = qobject_cast<TfrmRelConsDesEtiq*>(form);
            ASSERT_NE(report, nullptr);
            choose(report);
            QTest::mouseClick(report->sbtPrint, Qt::LeftButton);
        };
        QFile::remove(Pdf());
        QTest::mouseClick(tela->sbtImprimir, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(Errors().isEmpty()) << ui.Log().join('\n').toStdString();
        QStringList printed;
        const QRegularExpression line(QStringLiteral("Peso:\\s*(\\S+)\\s+Quantidade:\\s*(\\S+)"));
        for (QRegularExpressionMatchIterator found = line.globalMatch(PdfText(Pdf())); found.hasNext();) {
            const QRegularExpressionMatch match = found.next();
            printed << match.captured(1) + QLatin1Char('|') + match.captured(2);
        }
        printed.sort();
        return printed;
    }

    QTemporaryDir dir;
    TServerProcess process;
    TLabelSheetEngine engine;
    QString previousReports;
    int printDialogs = 0;
};

TEST_F(DemoInvoicePrint, TheSheetOfAnItemAndOneMoreLabelScansBackAsThePrintSetInBarcodeOrder)
{
    OpenDemoInvoice();
    ASSERT_TRUE(Errors().isEmpty()) << ui.Log().join('\n').toStdString();

    QStringList printed;
    QStringList item0001;
    QString label0004;
    ui.OnModal = [&](TForm* form) {
        auto* report = qobject_cast<TfrmRelConsDesEtiq*>(form);
        ASSERT_NE(report, nullptr);
        ASSERT_GT(report->cbbReportNames->count(), 0) << "no layout of EST990 listed";
        TClientDataSet* items = tela->cdsProdEtiq;
        TClientDataSet* labels = tela->cdsRelEtiquetas;

        // The whole of item 0001: its six active labels.
        ASSERT_EQ(Current(items, "NRSEQITPROD"), QStringLiteral("0001"));
        item0001 = VisibleBarcodes(labels);
        ASSERT_EQ(item0001.size(), 6);
        DoubleClickRow(report->dbgItemProduto, items->RecNo() - 1);

        // One label of item 0004, by itself.
        ASSERT_TRUE(items->Locate(QStringLiteral("NRSEQITPROD"), {QStringLiteral("0004")}));
        const QStringList item0004 = VisibleBarcodes(labels);
        ASSERT_FALSE(item0004.isEmpty());
        label0004 = item0004.last();
        DoubleClickRow(report->dbgEtiquetaGerada, item0004.size() - 1);

        printed = VisibleBarcodes(report->cdsRelEtiquetas);
        QTest::mouseClick(report->sbtPrint, Qt::LeftButton);
    };
    QTest::mouseClick(tela->sbtImprimir, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(Errors().isEmpty()) << ui.Log().join('\n').toStdString();
    ASSERT_FALSE(HasFatalFailure());

    QStringList expected = item0001;
    expected << label0004;
    expected.sort();
    EXPECT_EQ(printed, expected);
    EXPECT_EQ(printDialogs, 1);
    ASSERT_TRUE(QFileInfo::exists(Pdf()));

    QStringList scanned;
    for (const TFoundBarcode& found : DecodeBarcodes(RasterizePdf(Pdf(), dir.path(), 200)))
        scanned << found.text;
    EXPECT_EQ(scanned, expected);
    // The sheet names the invoice's products as the server has them.
    const QString text = PdfText(Pdf());
    TClientDataSet* items = tela->cdsProdEtiq;
    ASSERT_TRUE(items->Locate(QStringLiteral("NRSEQITPROD"), {QStringLiteral("0001")}));
    EXPECT_TRUE(text.contains(Current(items, "NMPRODUTO"), Qt::CaseInsensitive)) << text.toStdString();
}

TEST_F(DemoInvoicePrint, ASplitLabelPrintsTheQuantityTheServerKeepsAndItsFullWeightBeforeAndAfterARead)
{
    OpenDemoInvoice();
    // The first label of item 0001 becomes two labels of a third of its weight and a little more,
    // and one of the rest.
    TClientDataSet* labels = tela->cdsEtiqueta;
    labels->First();
    ASSERT_EQ(Current(labels, "IDSTATUSETIQ"), QStringLiteral("A"));
    const double source = labels->FieldByName(QStringLiteral("VRPESOETIQ"))->AsFloat();
    const auto text = [](double weight) { return QString::number(weight, 'f', 10).replace(QLatin1Char('.'), QLatin1Char(',')); };
    const double each = std::round((source / 3 + 1e-10) * 1e10) / 1e10;
    const QString third = text(each);
    const QString rest = text(source - 2 * each);
    MarkLabels({0});
    ui.OnModal = [&](TForm* form) {
        auto* split = qobject_cast<TfrmDesmembramento*>(form);
        ASSERT_NE(split, nullptr);
        for (const auto& [count, weight] : {std::pair{QStringLiteral("2"), third}, std::pair{QStringLiteral("1"), rest}}) {
            split->edtQtdEtiqueta->setFocus();
            QTest::keyClicks(split->edtQtdEtiqueta, count);
            split->edtPeso->setFocus();
            QTest::keyClicks(split->edtPeso, weight);
            QTest::mouseClick(split->btnGeraEtiqueta, Qt::LeftButton);
        }
        ui.Answers << true;
        QTest::mouseClick(split->sbtConfirmar, Qt::LeftButton);
    };
    QTest::mouseClick(tela->btnDesmembrar, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(Errors().isEmpty()) << ui.Log().join('\n').toStdString();

    // Right after the split the new labels stand marked for printing.
    QStringList made;
    const QStringList first = PrintedWeightsAndQuantities([&](TfrmRelConsDesEtiq* report) {
        made = VisibleBarcodes(report->cdsRelEtiquetas);
    });
    QStringList expected = {third + "|2", third + "|2", rest + "|1"};
    expected.sort();
    EXPECT_EQ(first, expected);
    ASSERT_EQ(made.size(), 3);

    // Another invoice and back: the printable labels are read from the server again.
    ClickTab(tela->tshFolhaDados);
    TClientDataSet* invoices = tela->cdsNotaFiscal;
    ASSERT_GT(invoices->RecordCount(), 1);
    if (invoices->RecNo() == 1)
        invoices->Last();
    else
        invoices->First();
    ASSERT_TRUE(invoices->Locate(QStringLiteral("CDFILIAL;NRLANCTONF"), {kBranch, kEntry}));
    ClickTab(tela->tshFormulario);
    const QStringList second = PrintedWeightsAndQuantities([&](TfrmRelConsDesEtiq* report) {
        TClientDataSet* printable = tela->cdsRelEtiquetas;
        for (const QString& barcode : made) {
            ASSERT_TRUE(printable->Locate(QStringLiteral("CDCODBARRAETIQ"), {barcode}));
            report->dbgEtiquetaGeradaDblClick(report->dbgEtiquetaGerada);
        }
    });
    EXPECT_EQ(second, expected);
}

} // namespace
