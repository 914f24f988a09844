#include "fixtures.h"

#include "framework/frmdadosgerrel.h"
#include "framework/frmpadrao.h"
#include "framework/edit.h"
#include "framework/frmpadraogrid.h"
#include "framework/routines.h"
#include "framework/session.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

namespace {

class TfrmTeste : public TfrmPadrao {
public:
    QStringList calls;
    TCloseAction closeAs = TCloseAction::caFree;

    void FormCreate(QObject* sender) override
    {
        TfrmPadrao::FormCreate(sender);
        calls.append(QStringLiteral("create"));
    }
    QWidget* showFocus = nullptr;

    void FormShow(QObject* sender) override
    {
        TfrmPadrao::FormShow(sender);
        calls.append(QStringLiteral("show"));
        if (showFocus)
            showFocus->setFocus();
    }
    void FormClose(QObject* sender, TCloseAction& action) override
    {
        calls.append(QStringLiteral("close"));
        TfrmPadrao::FormClose(sender, action);
        action = closeAs;
    }
    void sbtVerificarClick(QObject* sender) override
    {
        TfrmPadrao::sbtVerificarClick(sender);
        calls.append(QStringLiteral("verify"));
        MensErro(QStringLiteral("Filial deve ser informada."), true);
        calls.append(QStringLiteral("after MensErro"));
    }
};

void DeletePending()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

using Forms = UiTest;

TEST_F(Forms, CreateFormRunsTheDerivedFormCreateOnce)
{
    std::unique_ptr<TfrmTeste> form(CreateForm<TfrmTeste>());
    form->RunCreate();
    EXPECT_EQ(form->calls, QStringList{QStringLiteral("create")});
}

TEST_F(Forms, TheRecordScreenOwnsTheInheritedControls)
{
    std::unique_ptr<TfrmPadrao> form(CreateForm<TfrmPadrao>());
    for (const char* name : {"panMenu", "sbtConfirmar", "sbtCancelar", "sbtImprimir", "sbtVerificar", "sbtProcurar",
                             "pgcPadrao", "tshFolhaDados", "tshFormulario", "dbgPadrao", "lblCodTela",
                             "panNavigator", "dbtNome", "dtsPadrao"})
        EXPECT_NE(form->findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(form->dbgPadrao->DataSource(), form->dtsPadrao);
    EXPECT_TRUE(form->tshFolhaDados->isAncestorOf(form->dbgPadrao));
    EXPECT_EQ(form->panMenu->height(), 28);
    EXPECT_EQ(form->CommandButtons().size(), 8);
    EXPECT_EQ(form->CommandMenuItems().size(), 10);
    const QList<QAction*> printEntries = form->sbtImprimir->menu()->actions();
    EXPECT_EQ(printEntries, (QList<QAction*>{form->mniImprimir, form->mniVisualizar}));
}

TEST_F(Forms, TheGridScreenHasTheCommandBarAndTheGridWithoutPages)
{
    std::unique_ptr<TfrmPadraoGrid> form(CreateForm<TfrmPadraoGrid>());
    EXPECT_EQ(form->CommandButtons().size(), 8);
    EXPECT_EQ(form->CommandMenuItems().size(), 10);
    EXPECT_EQ(form->findChild<QObject*>(QStringLiteral("pgcPadrao")), nullptr);
    EXPECT_EQ(form->dbgPadrao->parentWidget(), form.get());
}

TEST_F(Forms, TheBaseStateChangeFollowsEditingOfTheDataSource)
{
    auto set = MakeSet(NumberedRows(2));
    std::unique_ptr<TfrmPadrao> form(CreateForm<TfrmPadrao>());
    form->dtsPadrao->SetDataSet(set.get());
    set->Edit();
    EXPECT_TRUE(form->sbtConfirmar->isEnabled());
    EXPECT_TRUE(form->mniCancelar->isEnabled());
    EXPECT_FALSE(form->sbtIncluir->isEnabled());
    form->sbtConfirmar->click();
    EXPECT_EQ(set->State(), TDataSetState::Browse);
    EXPECT_FALSE(form->sbtConfirmar->isEnabled());
    EXPECT_TRUE(form->sbtExcluir->isEnabled());
}

TEST_F(Forms, TheVerifyButtonAndItsMenuEntryRunTheScreensHandlerThroughTheGuard)
{
    std::unique_ptr<TfrmTeste> form(CreateForm<TfrmTeste>());
    form->sbtVerificar->click();
    form->mniVerificar->trigger();
    EXPECT_EQ(form->calls, (QStringList{QStringLiteral("create"), QStringLiteral("verify"), QStringLiteral("verify")}));
    EXPECT_EQ(ui.Texts(TUiEntryKind::Error).size(), 2);
}

TEST_F(Forms, ClosingRunsFormCloseAndItsActionDecides)
{
    QPointer<TfrmTeste> form = CreateForm<TfrmTeste>();
    form->Show();
    form->closeAs = TCloseAction::caNone;
    form->Close();
    EXPECT_TRUE(form->isVisible());
    form->closeAs = TCloseAction::caFree;
    form->Close();
    ASSERT_FALSE(form.isNull());  // still there until control is back in the event loop
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->calls, (QStringList{QStringLiteral("create"), QStringLiteral("show"), QStringLiteral("close"),
                                        QStringLiteral("close")}));
    DeletePending();
    EXPECT_TRUE(form.isNull());
}

TEST_F(Forms, ScreensOpenAsChildWindowsOfTheRegisteredArea)
{
    QMdiArea area;
    area.resize(1024, 768);
    area.show();
    TForm::SetMainArea(&area);
    QPointer<TfrmTeste> form = CreateForm<TfrmTeste>();
    form->SetBounds(242, 72, 770, 638);
    form->Show();
    ASSERT_NE(form->SubWindow(), nullptr);
    EXPECT_EQ(area.subWindowList().size(), 1);
    EXPECT_EQ(form->SubWindow()->geometry(), QRect(242, 72, 770, 638));
    form->SetWindowState(TWindowState::wsMinimized);
    EXPECT_EQ(form->WindowState(), TWindowState::wsMinimized);
    form->Show();
    form->SetWindowState(TWindowState::wsNormal);
    EXPECT_EQ(form->WindowState(), TWindowState::wsNormal);
    EXPECT_EQ(form->calls.count(QStringLiteral("show")), 1);  // restoring is not a new opening
    form->closeAs = TCloseAction::caHide;
    form->Close();
    form->Show();
    EXPECT_EQ(form->calls.count(QStringLiteral("show")), 2);
    form->closeAs = TCloseAction::caFree;
    form->Close();
    DeletePending();
    EXPECT_TRUE(form.isNull());
    EXPECT_TRUE(area.subWindowList().isEmpty());

    // A screen worked in all day opens filling the area, the main window's size.
    form = CreateForm<TfrmTeste>();
    form->SetBounds(242, 72, 770, 638);
    form->SetOpensFillingArea(true);
    form->Show();
    EXPECT_EQ(form->SubWindow()->geometry(), area.viewport()->rect());
    // Ctrl+Tab changes the screen's page; the area does not take it to switch windows.
    QPointer<TfrmTeste> other = CreateForm<TfrmTeste>();
    other->Show();
    form->Show();
    area.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&area));
    form->dbgPadrao->setFocus();
    QTest::keyClick(form->dbgPadrao, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(form->pgcPadrao->ActivePage(), form->tshFormulario);
    EXPECT_EQ(area.activeSubWindow(), form->SubWindow());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(form->pgcPadrao->ActivePage(), form->tshFolhaDados);
    for (TfrmTeste* open : {form.data(), other.data()})
        open->Close();
    DeletePending();

    // With a workstation file, the next opening is where the person left the screen; a place
    // out of reach of the area is not taken.
    QTemporaryDir dir;
    TSession::Instance().WorkstationFile = dir.filePath(QStringLiteral("estacao.ini"));
    for (const QRect left : {QRect(30, 40, 700, 500), QRect(5000, 5000, 700, 500)}) {
        form = CreateForm<TfrmTeste>();
        form->SetBounds(242, 72, 770, 638);
        form->Show();
        form->SubWindow()->setGeometry(left);
        form->Close();
        DeletePending();
        form = CreateForm<TfrmTeste>();
        form->SetBounds(242, 72, 770, 638);
        form->Show();
        EXPECT_EQ(form->SubWindow()->geometry(), left.x() < 1024 ? left : QRect(242, 72, 770, 638));
        form->SubWindow()->setGeometry(QRect(30, 40, 700, 500));
        form->Close();
        DeletePending();
    }
    TSession::Instance().WorkstationFile.clear();
    TForm::SetMainArea(nullptr);
}

TEST_F(Forms, AChildWindowStartsWithTheFocusItsShowStepGave)
{
    QMdiArea area;
    area.resize(1024, 768);
    ShowActive(area);
    TForm::SetMainArea(&area);
    QPointer<TfrmTeste> form = CreateForm<TfrmTeste>();
    auto* filter = new TEdit(form);
    form->AddTopPanel(filter);  // after the grid in the focus chain
    int gridEntered = 0;
    form->dbgPadrao->OnEnter = [&](QObject*) { ++gridEntered; };
    form->showFocus = filter;
    form->Show();
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), filter);
    EXPECT_EQ(gridEntered, 0);
    form->Close();
    DeletePending();
    TForm::SetMainArea(nullptr);
}

TEST_F(Forms, AModalScreenIsShownThroughTheServicesAndClosedAfterwards)
{
    QPointer<TfrmTeste> form = CreateForm<TfrmTeste>();
    form->SetCaption(QStringLiteral("Desmembramento"));
    bool visibleInside = false;
    ui.OnModal = [&](TForm* shown) {
        visibleInside = shown == form && shown->isVisible() && shown->IsModal();
    };
    form->ShowModal();
    EXPECT_TRUE(visibleInside);
    EXPECT_EQ(ui.Texts(TUiEntryKind::Modal), QStringList{QStringLiteral("Desmembramento")});
    ASSERT_FALSE(form.isNull());
    EXPECT_EQ(form->calls, (QStringList{QStringLiteral("create"), QStringLiteral("show"), QStringLiteral("close")}));
    DeletePending();
    EXPECT_TRUE(form.isNull());
}

namespace {

class TFakeEngine : public TReportEngine {
public:
    QStringList calls;
    QStringList ReportNames(const QString& code, const QString&) override { return {code + QStringLiteral(" - Etiquetas")}; }
    void Preview(const TReportRequest& r) override { calls.append(QStringLiteral("preview ") + r.reportName); }
    void Print(const TReportRequest& r) override { calls.append(QStringLiteral("print ") + r.reportCode); }
    void Design(const TReportRequest&, bool) override { calls.append(QStringLiteral("design")); }
};

class TfrmRelTeste : public TfrmDadosGerRel {
public:
    TfrmRelTeste() { lblCodRel->setText(QStringLiteral("EST990")); }
};

} // namespace

TEST_F(Forms, TheReportScreenHandsTheChosenReportToTheEngine)
{
    TFakeEngine engine;
    SetReportEngine(&engine);
    std::unique_ptr<TfrmRelTeste> form(CreateForm<TfrmRelTeste>());
    EXPECT_EQ(form->cbbReportNames->currentText(), QStringLiteral("EST990 - Etiquetas"));
    EXPECT_EQ(form->cbbReportNames->width(), 384);
    form->sbtPreview->click();
    form->sbtPrint->click();
    EXPECT_EQ(engine.calls, (QStringList{QStringLiteral("preview EST990 - Etiquetas"), QStringLiteral("print EST990")}));
    SetReportEngine(nullptr);
}

TEST_F(Forms, WithoutAnEngineTheReportScreenSaysTheDefinitionWasNotFound)
{
    std::unique_ptr<TfrmRelTeste> form(CreateForm<TfrmRelTeste>());
    form->msgPadrao.SetItems({QStringLiteral("Arq_Rel_Err|Relatório '%s' não encontrado em '%s'.")});
    TSession::Instance().ReportsDirectory = QStringLiteral("/srv/relatorios");
    form->sbtPreview->click();
    EXPECT_EQ(ui.Texts(TUiEntryKind::Error),
              QStringList{QStringLiteral("Relatório 'EST990' não encontrado em '/srv/relatorios'.")});
}
