#include "host/portuguese.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallPortuguese(QCoreApplication& app)
{
    const QLocale portuguese(QLocale::Portuguese, QLocale::Brazil);
    QLocale::setDefault(portuguese);
    // qtbase holds the texts of the widgets and print-support dialogs; the translators live as
    // long as the application that uses them.
    auto* translator = new QTranslator(&app);
    if (!translator->load(portuguese, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}
