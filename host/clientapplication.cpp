#include "host/clientapplication.h"

#include "framework/uiservices.h"
#include "host/mainwindow.h"
#include "platform/errors.h"

#include <QApplication>
#include <QImage>
#include <QMdiArea>

#include <cstdio>

TClientApplication::TClientApplication() = default;

TClientApplication::~TClientApplication()
{
    // The module's screens live in the main window's child area: they are closed (each running
    // its own closing) and destroyed with it, and only then does the module run its finalization.
    if (window_)
        window_->close();
    window_.reset();
    module_.Finish();
    if (consoleInstalled_)
        SetUiServices(nullptr);
}

int TClientApplication::Run(const QStringList& args)
{
    try {
        options_ = TClientOptions::Load(args);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n\n%s", qPrintable(e.Message()), qPrintable(TClientOptions::Usage()));
        return 2;
    }
    if (options_.showVersion) {
        std::fprintf(stdout, "est-client %s\n", EST_VERSION);
        return 0;
    }
    if (options_.showHelp) {
        std::fprintf(stdout, "%s", qPrintable(TClientOptions::Usage()));
        return 0;
    }
    ApplySession();
    const bool screenshot = !options_.screenshotPath.isEmpty();
    if (screenshot) {
        SetUiServices(&console_);
        consoleInstalled_ = true;
    }

    window_ = std::make_unique<TMainWindow>();
    window_->ShowSession(options_.branch,
                         QStringLiteral("%1:%2").arg(options_.serverHost).arg(options_.serverPort),
                         options_.database);
    RegisterChildArea();
    QObject::connect(window_.get(), &TMainWindow::openLabelModule, [this] { OpenLabelModule(); });
    window_->show();

    if (options_.openModule)
        OpenLabelModule();
    if (screenshot) {
        if (!lastError_.isEmpty() || console_.Failed())
            return 3;
        return WriteScreenshot();
    }
    return QApplication::exec();
}

bool TClientApplication::LoadModule()
{
    if (module_.Loaded())
        return true;
    const QString path = options_.modulePath.isEmpty() ? TModuleLoader::DefaultPath() : options_.modulePath;
    try {
        module_.Load(path);
        return true;
    } catch (const Exception& e) {
        ReportError(e.Message());
        return false;
    }
}

void TClientApplication::OpenLabelModule()
{
    if (!LoadModule())
        return;
    try {
        module_.Open();
    } catch (const Exception& e) {
        ReportError(e.Message());
    } catch (const std::exception& e) {
        ReportError(QString::fromLocal8Bit(e.what()));
    }
}

void TClientApplication::ReportError(const QString& message)
{
    lastError_ = message;
    UiServices().Error(window_.get(), message);
}

int TClientApplication::WriteScreenshot()
{
    // Let the windows reach their final layout and paint once before the picture is taken.
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    const QImage picture = window_->grab().toImage();
    if (picture.isNull() || !picture.save(options_.screenshotPath, "PNG")) {
        std::fprintf(stderr, "Não foi possível gravar a imagem %s.\n", qPrintable(options_.screenshotPath));
        return 4;
    }
    return 0;
}
