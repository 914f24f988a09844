// The client's main window: its module menu entry and how it closes the screens inside it.

#include "framework/form.h"
#include "host/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QMdiArea>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

class TClosingScreen : public TForm {
public:
    bool refuse = false;
    int closings = 0;
    void FormClose(QObject*, TCloseAction& action) override
    {
        ++closings;
        action = refuse ? TCloseAction::caNone : TCloseAction::caHide;
    }
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TForm::SetMainArea(window.ChildArea());
        window.show();
    }
    void TearDown() override { TForm::SetMainArea(nullptr); }

    TMainWindow window;
};

TEST_F(MainWindowTest, MenuEntryAsksForTheLabelModule)
{
    QSignalSpy asked(&window, &TMainWindow::openLabelModule);
    EXPECT_EQ(window.LabelModuleAction()->text(), "Consulta/Desmembramento Etiqueta");
    window.LabelModuleAction()->trigger();
    EXPECT_EQ(asked.count(), 1);
}

TEST_F(MainWindowTest, TheSessionLineStaysWhileAMenuEntryShowsItsHint)
{
    window.ShowSession("0001", "127.0.0.1:8211", "est99000.db");
    // What a hovered menu entry or button sends its window.
    QStatusTipEvent tip("Abre a consulta de etiquetas");
    QApplication::sendEvent(&window, &tip);
    EXPECT_EQ(window.statusBar()->currentMessage(), "Abre a consulta de etiquetas");
    EXPECT_EQ(window.SessionText(), "Filial 0001  |  Servidor 127.0.0.1:8211  |  Banco est99000.db");
    EXPECT_TRUE(window.findChild<QLabel*>("lblSessao")->isVisible());
}

TEST_F(MainWindowTest, ClosingTheWindowRunsEachScreensClosingFirst)
{
    auto* screen = CreateForm<TClosingScreen>();
    screen->Show();
    EXPECT_TRUE(window.close());
    EXPECT_EQ(screen->closings, 1);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindowTest, ScreenThatRefusesToCloseKeepsTheClientOpen)
{
    auto* screen = CreateForm<TClosingScreen>();
    screen->refuse = true;
    screen->Show();
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(screen->isVisible());
    screen->refuse = false;
    EXPECT_TRUE(window.close());
}

} // namespace
