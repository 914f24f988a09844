// est-client: the desktop receiving client that hosts the label module.

#include "host/clientapplication.h"
#include "host/portuguese.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("est-client"));
    QApplication::setApplicationVersion(QStringLiteral(EST_VERSION));
    QApplication::setOrganizationName(QStringLiteral("est99000"));
    QApplication::setDesktopFileName(QStringLiteral("est-client"));
    InstallPortuguese(app);
    TClientApplication client;
    return client.Run(QApplication::arguments());
}
