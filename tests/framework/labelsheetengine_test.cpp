// The base report screen over the label-sheet engine: the EST990 definition found in the reports
// folder, its layouts listed, the print set written to PDF or sent to a label printer, a missing
// definition reported with the screen's text and ending the handler, and the layout and label
// printer this workstation chose last offered again.

#include "fixtures.h"

#include "framework/frmdadosgerrel.h"
#include "framework/labelsheetengine.h"
#include "framework/session.h"
#include "framework/workstation.h"
#include "platform/datasource.h"
#include "support/loopbackprinter.h"

#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>

namespace {

class TfrmEtiquetas : public TfrmDadosGerRel {
public:
    TfrmEtiquetas()
    {
        lblCodRel->setText(QStringLiteral("EST990"));
        msgPadrao.SetItems({QStringLiteral("Arq_Rel_Err|O arquivo contendo a definição do relatório de código '%s' não foi encontrado no diretório '%s'.")});
        cdsRelEtiquetas.AddField(QStringLiteral("IDCHECK"), TFieldType::String, 1);
        for (const char* name : {"NMPRODUTO", "LOTESUBLOTE", "SGUNIDADE", "NRNOTAFISC", "CDSERIEENTR", "CDARVPROD", "CDCODBARRAETIQ"})
            cdsRelEtiquetas.AddField(QString::fromLatin1(name), TFieldType::String, 50);
        cdsRelEtiquetas.AddField(QStringLiteral("DTVALILOTE"), TFieldType::DateTime);
        cdsRelEtiquetas.AddField(QStringLiteral("VRPESOETIQ"), TFieldType::Float);
        cdsRelEtiquetas.AddField(QStringLiteral("QTETIQPROD"), TFieldType::Float);
        cdsRelEtiquetas.CreateDataSet();
        for (int i = 1; i <= 3; ++i) {
            cdsRelEtiquetas.Append();
            cdsRelEtiquetas.FieldByName(QStringLiteral("NMPRODUTO"))->SetAsString(QStringLiteral("ARRUELA LISA"));
            cdsRelEtiquetas.FieldByName(QStringLiteral("CDCODBARRAETIQ"))->SetAsString(QStringLiteral("000100000001230001000%1").arg(i, 2, 10, QLatin1Char('0')));
            cdsRelEtiquetas.FieldByName(QStringLiteral("VRPESOETIQ"))->SetAsFloat(1.5 * i);
            cdsRelEtiquetas.FieldByName(QStringLiteral("QTETIQPROD"))->SetAsFloat(1);
            cdsRelEtiquetas.Post();
        }
        dtsRelEtiquetas = new TDataSource(this);
        dtsRelEtiquetas->setObjectName(QStringLiteral("dtsRelEtiquetas"));
        dtsRelEtiquetas->SetDataSet(&cdsRelEtiquetas);
    }

    TClientDataSet cdsRelEtiquetas;
    TDataSource* dtsRelEtiquetas;
    int previews = 0;
    void sbtPreviewClick(QObject* sender) override
    {
        TfrmDadosGerRel::sbtPreviewClick(sender);
        ++previews;  // runs only when the base returned normally
    }
};

class LabelSheetEngine : public UiTest {
protected:
    // The reports folder of the source tree, found from the test binary when the environment does
    // not name the source folder.
    void SetUp() override
    {
        const QString source = qEnvironmentVariable("EST_SOURCE_DIR");
        TSession::Instance().ReportsDirectory = source.isEmpty() ? TLabelSheetEngine::Directory(QString()) : source + QStringLiteral("/reports");
    }
    void TearDown() override { TSession::Instance().ReportsDirectory.clear(); }
};

} // namespace

TEST_F(LabelSheetEngine, TheReportScreenListsTheLayoutsOfItsReportCodeAndPrintsItsDataToPdf)
{
    std::unique_ptr<TfrmEtiquetas> form(CreateForm<TfrmEtiquetas>());
    ASSERT_GE(form->cbbReportNames->count(), 1);

    QTemporaryDir dir;
    auto* engine = dynamic_cast<TLabelSheetEngine*>(&ReportEngine());
    ASSERT_NE(engine, nullptr);
    const QString pdf = dir.filePath(QStringLiteral("etiquetas.pdf"));
    EXPECT_EQ(engine->PrintToPdf(form->Request(), pdf), 1);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5).startsWith("%PDF"));
}

TEST_F(LabelSheetEngine, AMissingDefinitionIsReportedWithTheScreensTextAndEndsTheHandler)
{
    QTemporaryDir empty;
    TSession::Instance().ReportsDirectory = empty.path();
    std::unique_ptr<TfrmEtiquetas> form(CreateForm<TfrmEtiquetas>());
    EXPECT_EQ(form->cbbReportNames->count(), 0);

    form->sbtPreview->click();

    EXPECT_EQ(ui.Texts(TUiEntryKind::Error),
              QStringList{QStringLiteral("O arquivo contendo a definição do relatório de código 'EST990' não foi encontrado no diretório '%1'.").arg(empty.path())});
    EXPECT_EQ(form->previews, 0);
}

TEST_F(LabelSheetEngine, TheWorkstationOffersAgainTheLayoutAndTheLabelPrinterItPrintedOnLast)
{
    QTemporaryDir dir;
    TSession::Instance().WorkstationFile = dir.filePath(QStringLiteral("estacao.ini"));
    auto* engine = dynamic_cast<TLabelSheetEngine*>(&ReportEngine());
    ASSERT_NE(engine, nullptr);
    const auto realDialog = engine->Output().RunLabelPrinterDialog;
    TLoopbackPrinter printer;
    ASSERT_GT(printer.Port(), 0);
    {
        std::unique_ptr<TfrmEtiquetas> form(CreateForm<TfrmEtiquetas>());
        const int thermal = form->cbbReportNames->findText(QStringLiteral("Etiqueta térmica - 100 x 75 mm (ZPL)"));
        ASSERT_GT(thermal, 0);
        form->cbbReportNames->setCurrentIndex(thermal);
        engine->Output().RunLabelPrinterDialog = [&](TLabelPrinterDialog& dialog) {
            dialog.rdbRede->setChecked(true);
            dialog.edtEndereco->setText(QStringLiteral("127.0.0.1"));
            dialog.edtPorta->setValue(printer.Port());
            return true;
        };
        form->sbtPrint->click();
        EXPECT_EQ(printer.Received().count("^XA"), 3);
    }
    engine->Output().LabelPrinter = TLabelPrinterDestination();  // only the workstation's file remembers

    std::unique_ptr<TfrmEtiquetas> again(CreateForm<TfrmEtiquetas>());
    EXPECT_EQ(again->cbbReportNames->currentText(), QStringLiteral("Etiqueta térmica - 100 x 75 mm (ZPL)"));
    TLabelPrinterDestination offered;
    engine->Output().RunLabelPrinterDialog = [&](TLabelPrinterDialog& dialog) {
        offered = dialog.Destination();
        return false;
    };
    again->sbtPrint->click();
    EXPECT_EQ(offered.kind, TLabelPrinterDestination::TKind::Network);
    EXPECT_EQ(offered.host, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(offered.port, printer.Port());
    EXPECT_TRUE(ui.Texts(TUiEntryKind::Error).isEmpty()) << ui.Texts(TUiEntryKind::Error).join('\n').toStdString();
    engine->Output().RunLabelPrinterDialog = realDialog;
    TSession::Instance().WorkstationFile.clear();
}
