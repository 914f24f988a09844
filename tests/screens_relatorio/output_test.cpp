// Preview and print handing the print set to the report and clearing the selection, the search
// button following the grids' focus, opening through the factory and what closing resets on the
// query screen.

#include "reportscreenfixture.h"

#include "framework/labelsheetengine.h"
#include "framework/session.h"
#include "package/pkg_est99000.h"
#include "support/consultascreen.h"

#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

const QString kNothingMarked = QStringLiteral("Nenhuma etiqueta está marcada para impressão.");

const QString B11 = Barcode("0001", 1), B12 = Barcode("0001", 2), B13 = Barcode("0001", 3);
const QString B21 = Barcode("0002", 1), B22 = Barcode("0002", 2);

class Output : public ReportScreenTest {
protected:
    void MarkItem(const QString& item)
    {
        GoToItem(item);
        screen->dbgItemProdutoDblClick(screen->dbgItemProduto);
    }
    void MarkLabel(const QString& barcode)
    {
        GoToLabel(barcode);
        screen->dbgEtiquetaGeradaDblClick(screen->dbgEtiquetaGerada);
    }
    void Click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }
};

TEST_F(Output, PreviewReportsThePrintSetInBarcodeOrderThenClearsEveryMarkSoThePrintGetsNothing)
{
    Open();
    MarkLabel(B13);
    MarkItem("0002");
    MarkLabel(B22);
    GoToItem("0001");
    Click(screen->sbtPreview);
    ASSERT_EQ(engine.Runs.size(), 1);
    EXPECT_EQ(engine.Runs.at(0).kind, "preview");
    EXPECT_EQ(engine.Runs.at(0).barcodes, QStringList({B13, B21, B22}));
    EXPECT_TRUE(PrintSet().isEmpty());
    EXPECT_EQ(ItemMarks(), QStringList({"U", "U", "U"}));
    EXPECT_TRUE(MarkedLabels().isEmpty());
    // The cursors and the label grid's order are as they were.
    EXPECT_EQ(Items()->RecNo(), 1);
    EXPECT_EQ(LabelRows(), QStringList({B12, B11, B13}));

    // With nothing marked now, preview and print say so and make no report.
    for (QWidget* command : {static_cast<QWidget*>(screen->sbtPrint), static_cast<QWidget*>(screen->sbtPreview)}) {
        ui.Clear();
        Click(command);
        EXPECT_EQ(ui.Texts(TUiEntryKind::Information), QStringList{kNothingMarked}) << command->objectName().toStdString();
    }
    EXPECT_EQ(engine.Runs.size(), 1);
}

// The screen's keys are its buttons' clicks: F8 prints (and says so when nothing is marked),
// Esc closes the screen, from whatever control has the focus.
TEST_F(Output, F8PrintsAndEscClosesAsTheirButtonsDo)
{
    Open();
    EXPECT_EQ(screen->sbtPrint->toolTip(), QStringLiteral("Imprimir (F8)"));
    EXPECT_EQ(screen->sbtCancel->toolTip(), QStringLiteral("Fechar (Esc)"));
    screen->dbgEtiquetaGerada->setFocus();
    QTest::keyClick(screen->dbgEtiquetaGerada, Qt::Key_F8);
    EXPECT_TRUE(engine.Runs.isEmpty());
    EXPECT_EQ(ui.Texts(TUiEntryKind::Information),
              QStringList{QStringLiteral("Nenhuma etiqueta está marcada para impressão.")});
    screen->dbgEtiquetaGeradaDblClick(screen->dbgEtiquetaGerada);
    screen->cbbReportNames->setFocus();
    QTest::keyClick(screen->cbbReportNames, Qt::Key_F8);
    ASSERT_EQ(engine.Runs.size(), 1);
    EXPECT_EQ(engine.Runs.at(0).kind, "print");
    QTest::keyClick(screen->dbgItemProduto, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(screen);
}

TEST_F(Output, PrintClearsTheMarksOfLabelsOfEveryItem)
{
    SetLabelMark(B11, "C");
    SetLabelMark(B12, "C");
    SetLabelMark(B21, "C");
    Open();
    GoToItem("0002");
    Click(screen->sbtPrint);
    ASSERT_EQ(engine.Runs.size(), 1);
    EXPECT_EQ(engine.Runs.at(0).barcodes, QStringList({B11, B12, B21}));
    EXPECT_TRUE(MarkedLabels().isEmpty());
    EXPECT_EQ(Items()->RecNo(), 2);
    EXPECT_EQ(LabelRows(), QStringList({B22, B21}));
}

TEST_F(Output, AReportThatFailsIsShownAndLeavesTheSelectionAsItWas)
{
    SetLabelMark(B12, "C");
    Open();
    MarkItem("0002");
    engine.Fail = true;
    Click(screen->sbtPrint);
    EXPECT_EQ(ui.Texts(TUiEntryKind::Error), QStringList({"A impressora não respondeu."}));
    EXPECT_EQ(PrintSet(), QStringList({B12, B21, B22}));
    EXPECT_EQ(ItemMark("0002"), "C");
    EXPECT_EQ(MarkedLabels(), QStringList({B12}));
}

TEST_F(Output, WithTheClientsEngineAMissingDefinitionIsNamedAndTheSelectionStays)
{
    SetReportEngine(nullptr);
    QTemporaryDir empty;
    const QString previous = TSession::Instance().ReportsDirectory;
    TSession::Instance().ReportsDirectory = empty.path();
    SetLabelMark(B11, "C");
    Open();
    EXPECT_EQ(screen->cbbReportNames->count(), 0);
    Click(screen->sbtPreview);
    TSession::Instance().ReportsDirectory = previous;
    EXPECT_EQ(ui.Texts(TUiEntryKind::Error),
              QStringList({"O arquivo contendo a definição do relatório de código 'EST990' não foi encontrado "
                           "no diretório '" + empty.path() + "'."}));
    EXPECT_EQ(PrintSet(), QStringList({B11}));
    EXPECT_EQ(MarkedLabels(), QStringList({B11}));
}

// A definition that does not parse: the screen is still built with the selection, the error
// names the file and what is wrong, preview and print refuse with it and keep every mark, and
// "Editar relatório" opens the file for repair.
TEST_F(Output, AMalformedDefinitionIsNamedPreviewAndPrintKeepTheMarksAndTheFileCanBeEdited)
{
    QTemporaryDir reports;
    const QString path = reports.filePath(QStringLiteral("EST990.json"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({ "code": "EST990", "layouts": [ )");
    file.close();
    TLabelSheetEngine sheets;
    QStringList edited;
    sheets.Output().OpenUrl = [&](const QUrl& url) {
        edited << url.toLocalFile();
        return true;
    };
    SetReportEngine(&sheets);
    const QString previous = TSession::Instance().ReportsDirectory;
    TSession::Instance().ReportsDirectory = reports.path();
    SetLabelMark(B11, "C");
    Open();
    MarkItem("0002");
    const QStringList errors = ui.Texts(TUiEntryKind::Error);
    ASSERT_EQ(errors.size(), 1) << ui.Log().join('\n').toStdString();
    EXPECT_TRUE(errors.first().contains(path)) << errors.first().toStdString();
    EXPECT_TRUE(errors.first().contains("JSON malformado")) << errors.first().toStdString();
    for (QWidget* command : {static_cast<QWidget*>(screen->sbtPreview), static_cast<QWidget*>(screen->sbtPrint)}) {
        ui.Clear();
        Click(command);
        EXPECT_EQ(ui.Texts(TUiEntryKind::Error), errors) << command->objectName().toStdString();
        EXPECT_EQ(PrintSet(), QStringList({B11, B21, B22}));
        EXPECT_EQ(MarkedLabels(), QStringList({B11}));
        EXPECT_EQ(ItemMark("0002"), "C");
    }
    ui.Clear();
    screen->ppmEditReport->actions().first()->trigger();
    TSession::Instance().ReportsDirectory = previous;
    EXPECT_EQ(edited, QStringList{path});
    EXPECT_TRUE(ui.Texts(TUiEntryKind::Error).isEmpty()) << ui.Log().join('\n').toStdString();
}

// However the modal screen closes, the query screen's grids, tabs and command bar take the mouse
// again.
TEST_F(Output, AfterTheScreenClosesTheQueryScreenTakesMouseClicksAgain)
{
    Consulta()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Consulta()));
    ui.WindowModality = true;
    const struct {
        const char* how;
        std::function<void(TfrmRelConsDesEtiq*)> close;
    } closers[] = {
        {"close button", [](TfrmRelConsDesEtiq* report) { report->close(); }},
        {"Fechar", [](TfrmRelConsDesEtiq* report) { QTest::mouseClick(report->sbtCancel, Qt::LeftButton); }},
        {"print, then Fechar",
         [this](TfrmRelConsDesEtiq* report) {
             MarkItem("0001");
             QTest::mouseClick(report->sbtPrint, Qt::LeftButton);
             QTest::mouseClick(report->sbtCancel, Qt::LeftButton);
         }},
    };
    for (const auto& closer : closers) {
        SCOPED_TRACE(closer.how);
        bool blockedWhileOpen = false;
        ui.OnModal = [&](TForm* form) {
            screen = qobject_cast<TfrmRelConsDesEtiq*>(form);
            ASSERT_TRUE(screen);
            blockedWhileOpen = !WindowClickReaches(Consulta()->panMenu, BareSpot(Consulta()->panMenu));
            closer.close(screen);
        };
        CriaRelConsDesEtiq();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(screen.isNull());
        EXPECT_TRUE(blockedWhileOpen);
        ExpectQueryScreenTakesClicks(Consulta());
    }
    EXPECT_EQ(engine.Runs.size(), 1);
    EXPECT_TRUE(ui.Texts(TUiEntryKind::Error).isEmpty()) << ui.Log().join('\n').toStdString();
}

TEST_F(Output, ClosingResetsEveryItemMarkKeepsLabelMarksAndTheNextOpeningStartsFromThem)
{
    Open();
    ui.Answers << true;
    screen->dbgItemProdutoTitleClick(screen->dbgItemProduto->Column(0));
    MarkLabel(B21);
    GoToItem("0003");
    CloseScreen();
    EXPECT_TRUE(screen.isNull());
    EXPECT_FALSE(boIdCriado);
    EXPECT_EQ(ItemMarks(), QStringList({"U", "U", "U"}));
    EXPECT_EQ(MarkedLabels(), QStringList({B21}));
    // The query screen is back on its first item and its labels.
    EXPECT_EQ(Items()->RecNo(), 1);
    EXPECT_EQ(LabelRows(), QStringList({B12, B11, B13}));

    Open();
    EXPECT_EQ(PrintSet(), QStringList({B21}));
    EXPECT_EQ(ItemMarks(), QStringList({"U", "U", "U"}));
}

TEST_F(Output, AfterAPreviewTheNextOpeningStartsWithAnEmptyPrintSet)
{
    SetLabelMark(B11, "C");
    Open();
    Click(screen->sbtPreview);
    CloseScreen();
    Open();
    EXPECT_TRUE(PrintSet().isEmpty());
}

TEST_F(Output, ClosingOverNoItemsStillClosesAndEmptiesThePrintSet)
{
    SetLabelMark(B11, "C");
    Open();
    ASSERT_EQ(PrintSet(), QStringList({B11}));
    TClientDataSet* printSet = screen->cdsRelEtiquetas;
    Items()->EmptyDataSet();
    bool emptied = false;
    QObject::connect(screen.data(), &TForm::closed, [&] { emptied = printSet->IsEmpty(); });
    CloseScreen();
    EXPECT_TRUE(emptied);
    EXPECT_TRUE(screen.isNull());
    EXPECT_TRUE(ui.Texts(TUiEntryKind::Error).isEmpty()) << ui.Log().join('\n').toStdString();
}

TEST_F(Output, TheFactoryOpensAModalScreenOnTheFirstItemAndEveryOpeningBuildsAFreshOne)
{
    GoToItem("0002");
    SetLabelMark(B21, "C");
    QList<QPointer<TfrmRelConsDesEtiq>> opened;
    ui.OnModal = [&](TForm* form) {
        opened << qobject_cast<TfrmRelConsDesEtiq*>(form);
        ASSERT_TRUE(opened.last());
        EXPECT_TRUE(form->IsModal());
        EXPECT_TRUE(boIdCriado);
        EXPECT_EQ(frmRelConsDesEtiq, form);
        EXPECT_EQ(Items()->RecNo(), 1);
        screen = opened.last();
        EXPECT_EQ(PrintSet(), QStringList({B21}));
        screen.clear();
    };
    CriaRelConsDesEtiq();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    CriaRelConsDesEtiq();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(opened.size(), 2);
    EXPECT_TRUE(opened.at(0).isNull());
    EXPECT_TRUE(opened.at(1).isNull());
    EXPECT_FALSE(boIdCriado);
    EXPECT_EQ(frmRelConsDesEtiq, nullptr);
    EXPECT_EQ(ui.Texts(TUiEntryKind::Modal), QStringList({"Consulta Etiquetas", "Consulta Etiquetas"}));
}

class Search : public Output {
protected:
    QComboBox* Combo() const { return screen->cbbReportNames; }
};

TEST_F(Search, TheButtonIsEnabledOnlyWhileAGridHasTheFocus)
{
    Open();
    EXPECT_FALSE(screen->sbtProcurar->isEnabled());
    screen->dbgItemProduto->setFocus();
    EXPECT_TRUE(screen->sbtProcurar->isEnabled());
    Combo()->setFocus();
    EXPECT_FALSE(screen->sbtProcurar->isEnabled());
    screen->dbgEtiquetaGerada->setFocus();
    EXPECT_TRUE(screen->sbtProcurar->isEnabled());
    screen->dbgItemProduto->setFocus();
    EXPECT_TRUE(screen->sbtProcurar->isEnabled());
    Combo()->setFocus();
    EXPECT_FALSE(screen->sbtProcurar->isEnabled());
}

TEST_F(Search, ItSearchesTheRecordSetOfTheFocusedGrid)
{
    Open();
    screen->dbgItemProduto->setFocus();
    ui.FindAnswers << TFindAnswer{QStringLiteral("NMPRODUTO"), QStringLiteral("feijao")};
    Click(screen->sbtProcurar);
    EXPECT_EQ(Items()->RecNo(), 2);
    EXPECT_EQ(LabelRows(), QStringList({B22, B21}));

    screen->dbgEtiquetaGerada->setFocus();
    ui.FindAnswers << TFindAnswer{QStringLiteral("CDCODBARRAETIQ"), B21};
    Click(screen->sbtProcurar);
    EXPECT_EQ(Labels()->FieldByName("CDCODBARRAETIQ")->AsString(), B21);
    EXPECT_EQ(Items()->RecNo(), 2);
    EXPECT_EQ(ui.Texts(TUiEntryKind::Find).size(), 2);

    // With the focus elsewhere the search offers nothing.
    Combo()->setFocus();
    screen->sbtProcurarClick(screen->sbtProcurar);
    EXPECT_EQ(ui.Texts(TUiEntryKind::Find).size(), 2);
}

} // namespace
