// Hands the client's start-up settings and its main window to the screen framework.

#include "host/clientapplication.h"

#include "framework/form.h"
#include "framework/session.h"
#include "host/mainwindow.h"

#include <QDir>
#include <QFileInfo>

void TClientApplication::ApplySession()
{
    TSession& s = TSession::Instance();
    s.Branch = options_.branch;
    s.ServerHost = options_.serverHost;
    s.ServerPort = options_.serverPort;
    s.AccessToken = options_.accessToken;
    s.ConnectTimeoutMs = options_.connectTimeoutMs;
    s.ReadTimeoutMs = options_.readTimeoutMs;
    s.DatabaseConnection = options_.database;
    s.ReportsDirectory = options_.reportsDir;
    s.ProductCodeMask = options_.productMask;
    // What this workstation remembers lives beside its configuration file; a screenshot run
    // neither reads nor changes it, so its picture is the same on every machine.
    s.WorkstationFile = options_.screenshotPath.isEmpty() ? options_.WorkstationPath() : QString();
}

// Screens shown with TForm::Show open as child windows of the main window from now on.
void TClientApplication::RegisterChildArea()
{
    TForm::SetMainArea(window_->ChildArea());
}
