#pragma once
// The client's start-up and shut-down: reads the options, fills the framework's session, builds
// the main window and registers its child-window area with the framework, loads the label
// module library and opens it on request (menu entry, or --open at start-up), writes the
// screenshot when asked, and runs the module's finalization before the client ends.
//
// Run returns the process exit status: 0 after a normal session or a written screenshot, 2 for
// bad options (the message and the usage text go to stderr), 3 when the module could not be
// loaded or opened in screenshot mode (there every dialog is answered on stderr, see
// TConsoleUiServices, and an error shown while opening the module counts as a failure), 4 when the screenshot could not be written. Outside
// screenshot mode a module that cannot be loaded is reported in an error box and the client
// stays usable without it (the menu entry tries again).

#include "host/clientoptions.h"
#include "host/consoleuiservices.h"
#include "host/moduleloader.h"

#include <QString>
#include <memory>

class TMainWindow;

class TClientApplication {
public:
    TClientApplication();
    ~TClientApplication();

    int Run(const QStringList& args);

private:
    void ApplySession();
    void RegisterChildArea();
    void OpenLabelModule();
    bool LoadModule();
    void ReportError(const QString& message);
    int WriteScreenshot();

    TClientOptions options_;
    std::unique_ptr<TMainWindow> window_;
    TModuleLoader module_;
    QString lastError_;
    TConsoleUiServices console_;
    bool consoleInstalled_ = false;
};
