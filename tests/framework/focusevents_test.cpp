#include "fixtures.h"

#include "framework/custompagecontrol98.h"
#include "framework/edit.h"
#include "framework/panel.h"
#include "framework/routines.h"
#include "framework/tabsheet.h"
#include "platform/errors.h"

#include <QTest>
#include <QVBoxLayout>

class Focus : public UiTest {
protected:
    QWidget window;
    TPanel* panFiltro = new TPanel(&window, QStringLiteral("panFiltro"));
    TPanel* grbNumero = new TPanel(panFiltro, QStringLiteral("grbNumero"));
    TEdit* edtNumIni = new TEdit(grbNumero, QStringLiteral("edtNumIni"));
    TEdit* edtBarras = new TEdit(panFiltro, QStringLiteral("edtBarras"));
    TCustomPageControl98* pgcPadrao = new TCustomPageControl98(&window, QStringLiteral("pgcPadrao"));
    TTabSheet* tshFolhaDados = new TTabSheet(pgcPadrao, QStringLiteral("Romaneio"), QStringLiteral("tshFolhaDados"));
    TTabSheet* tshFormulario = new TTabSheet(pgcPadrao, QStringLiteral("Produto/Etiqueta"), QStringLiteral("tshFormulario"));
    TEdit* edtNota = new TEdit(tshFolhaDados, QStringLiteral("edtNota"));
    QStringList log;

    void SetUp() override
    {
        auto* inner = new QVBoxLayout(grbNumero);
        inner->addWidget(edtNumIni);
        auto* filter = new QVBoxLayout(panFiltro);
        filter->addWidget(grbNumero);
        filter->addWidget(edtBarras);
        (new QVBoxLayout(tshFolhaDados))->addWidget(edtNota);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(panFiltro);
        layout->addWidget(pgcPadrao);
        for (QWidget* w : QList<QWidget*>{panFiltro, grbNumero, edtNumIni, edtBarras, pgcPadrao, tshFolhaDados, edtNota}) {
            auto* events = dynamic_cast<TFocusEvents*>(w);
            events->OnEnter = [this, w](QObject* sender) {
                EXPECT_EQ(sender, w);
                log.append(QStringLiteral("enter ") + w->objectName());
            };
            events->OnExit = [this, w](QObject*) { log.append(QStringLiteral("exit ") + w->objectName()); };
        }
        ShowActive(window);
        edtNota->setFocus();
        log.clear();
    }
};

TEST_F(Focus, EnteringRunsTheContainersOutermostFirst)
{
    edtNumIni->setFocus();
    EXPECT_EQ(log.mid(3), (QStringList{QStringLiteral("enter panFiltro"), QStringLiteral("enter grbNumero"),
                                       QStringLiteral("enter edtNumIni")}));
}

TEST_F(Focus, LeavingExitsInnermostFirstThenEntersTheNewContainers)
{
    edtNumIni->setFocus();
    log.clear();
    edtNota->setFocus();
    EXPECT_EQ(log, (QStringList{QStringLiteral("exit edtNumIni"), QStringLiteral("exit grbNumero"),
                                QStringLiteral("exit panFiltro"), QStringLiteral("enter pgcPadrao"),
                                QStringLiteral("enter tshFolhaDados"), QStringLiteral("enter edtNota")}));
}

TEST_F(Focus, MovingInsideAContainerRaisesNothingForIt)
{
    edtNumIni->setFocus();
    log.clear();
    edtBarras->setFocus();
    EXPECT_EQ(log, (QStringList{QStringLiteral("exit edtNumIni"), QStringLiteral("exit grbNumero"),
                                QStringLiteral("enter edtBarras")}));
}

TEST_F(Focus, AnExitEndedByMensErroKeepsTheFocusInTheContainer)
{
    edtBarras->setFocus();
    panFiltro->OnExit = [this](QObject*) {
        log.append(QStringLiteral("exit panFiltro"));
        edtNumIni->setFocus();
        MensErro(QStringLiteral("Fornecedor deve ser informado."), true);
    };
    log.clear();
    edtNota->setFocus();
    EXPECT_EQ(QApplication::focusWidget(), edtNumIni);
    EXPECT_FALSE(log.contains(QStringLiteral("enter pgcPadrao")));
    EXPECT_EQ(ui.Texts(TUiEntryKind::Error), QStringList{QStringLiteral("Fornecedor deve ser informado.")});
    // The panel was never left, so the next move out of it asks again.
    panFiltro->OnExit = [this](QObject*) { log.append(QStringLiteral("exit panFiltro")); };
    log.clear();
    edtNota->setFocus();
    EXPECT_EQ(log.first(), QStringLiteral("exit edtNumIni"));
    EXPECT_TRUE(log.contains(QStringLiteral("exit panFiltro")));
    EXPECT_TRUE(log.contains(QStringLiteral("enter pgcPadrao")));
    EXPECT_FALSE(log.contains(QStringLiteral("enter panFiltro")));
}

TEST_F(Focus, AFailedExitThatMovesNothingPutsTheFocusBack)
{
    edtBarras->setFocus();
    panFiltro->OnExit = [](QObject*) { throw Exception(QStringLiteral("Filtro inválido.")); };
    edtNota->setFocus();
    EXPECT_EQ(QApplication::focusWidget(), edtBarras);
}

TEST_F(Focus, AnotherWindowTakingTheFocusExitsNothing)
{
    edtBarras->setFocus();
    log.clear();
    QWidget dialog;
    auto* dialogEdit = new TEdit(&dialog);
    (new QVBoxLayout(&dialog))->addWidget(dialogEdit);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialogEdit->setFocus();
    dialog.hide();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    edtBarras->setFocus();
    EXPECT_TRUE(log.isEmpty()) << log.join(QLatin1Char(',')).toStdString();
}

TEST_F(Focus, PagesOfTheControlCanBeDisabledAndOnlyThePersonsChangeRaisesOnChange)
{
    int changes = 0;
    pgcPadrao->OnChange = [&](QObject*) { ++changes; };
    pgcPadrao->SetActivePage(tshFormulario);
    EXPECT_EQ(pgcPadrao->ActivePage(), tshFormulario);
    pgcPadrao->SetActivePage(tshFolhaDados);
    EXPECT_EQ(changes, 0);
    tshFormulario->SetCaption(QStringLiteral("Itens"));
    EXPECT_EQ(pgcPadrao->tabText(1), QStringLiteral("Itens"));
    tshFormulario->SetPageEnabled(false);
    EXPECT_FALSE(tshFormulario->PageEnabled());
    pgcPadrao->setCurrentIndex(1);  // what a click on the greyed tab would ask
    EXPECT_EQ(pgcPadrao->ActivePage(), tshFolhaDados);
    tshFormulario->SetPageEnabled(true);
    pgcPadrao->setCurrentIndex(1);
    EXPECT_EQ(changes, 1);
    bool allow = false;
    pgcPadrao->OnChanging = [&](QObject*, bool& ok) { ok = allow; };
    pgcPadrao->setCurrentIndex(0);
    EXPECT_EQ(pgcPadrao->ActivePage(), tshFormulario);
    EXPECT_EQ(changes, 1);
}
