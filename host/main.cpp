// est-client: the desktop receiving client that hosts the label module.

#include "host/clientapplication.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("est-client"));
    QApplication::setOrganizationName(QStringLiteral("est99000"));
    TClientApplication client;
    return client.Run(QApplication::arguments());
}
