#pragma once
// A client for the module tests: a main window with its child-window area registered with the
// framework, a session with a known branch and server, the recording UI service, and the module
// loaded (Initialize) for the length of each test and unloaded afterwards with every screen gone.

#include "framework/form.h"
#include "framework/recordinguiservices.h"
#include "framework/session.h"
#include "package/packageinfo.h"
#include "package/pkg_est99000.h"
#include "screens/Cli_est99000/cli_est99000.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void DeleteClosedScreens()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TSession& s = TSession::Instance();
        s.Branch = QStringLiteral("0042");
        s.ServerHost = QStringLiteral("127.0.0.9");
        s.ServerPort = 9123;
        s.AccessToken = QStringLiteral("tk-1");
        s.ConnectTimeoutMs = 1200;
        s.ReadTimeoutMs = 3400;
        s.ProductCodeMask = QStringLiteral("99.999.999;0;_");
        window.setCentralWidget(area);
        window.resize(1100, 800);
        TForm::SetMainArea(area);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        Initialize();
    }

    void TearDown() override
    {
        if (bostcriado && frmConsDesEtiq)
            frmConsDesEtiq->Close();
        DeleteClosedScreens();
        Finalize();
        TForm::SetMainArea(nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "busy cursor left on";
    }

    QStringList Errors() const { return ui.Texts(TUiEntryKind::Error); }

    TRecordingUiServices ui;
    TUiServicesScope scope{ui};
    QMainWindow window;
    QMdiArea* area = new QMdiArea;
};
