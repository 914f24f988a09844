// est-road: walks the label module's typical road offscreen against a reference server it
// starts itself, and leaves a picture of each screen after each step and the printed labels
// as a PDF in the output folder.
//
//   est-road --output DIR [--server PATH] [--database FILE|URL] [--reports DIR]
//
// Exit status: 0 when every step did what it should; 1 when one did not (the step and the
// reason go to stderr); 2 for bad options.

#include "host/portuguese.h"
#include "host/road/road.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("est-road"));
    InstallPortuguese(app);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Percorre o roteiro típico do módulo de etiquetas contra um servidor de referência e grava as "
                       "imagens das telas e o PDF das etiquetas."));
    parser.addHelpOption();
    const QCommandLineOption output(QStringLiteral("output"), QStringLiteral("Pasta das imagens e do PDF."),
                                    QStringLiteral("PASTA"));
    const QCommandLineOption server(QStringLiteral("server"),
                                    QStringLiteral("O servidor est99000-server (padrão: ao lado deste programa)."),
                                    QStringLiteral("CAMINHO"));
    const QCommandLineOption database(QStringLiteral("database"),
                                      QStringLiteral("Banco do servidor: arquivo SQLite ou conexão PostgreSQL (padrão: "
                                                     "um SQLite novo numa pasta temporária, com dados de demonstração)."),
                                      QStringLiteral("BANCO"));
    const QCommandLineOption reports(QStringLiteral("reports"), QStringLiteral("Pasta das definições de relatório."),
                                     QStringLiteral("PASTA"));
    parser.addOptions({output, server, database, reports});
    if (!parser.parse(QApplication::arguments())) {
        std::fprintf(stderr, "%s\n\n%s", qPrintable(parser.errorText()), qPrintable(parser.helpText()));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fprintf(stdout, "%s", qPrintable(parser.helpText()));
        return 0;
    }
    if (!parser.isSet(output) || !parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "Informe a pasta das imagens com --output PASTA.\n\n%s", qPrintable(parser.helpText()));
        return 2;
    }

    TRoadOptions options;
    options.outputDir = parser.value(output);
    options.serverPath = parser.value(server);
    options.database = parser.value(database);
    options.reportsDir = parser.value(reports);
    TRoad road(options);
    return road.RunAll();
}
