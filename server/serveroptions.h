#pragma once
// Command-line options of the application server. TServerOptions::Parse reads argv and returns
// the settings; an unknown option or a bad value raises Exception with a Portuguese message that
// names the option (main prints it with the usage text and exits with status 2).

#include <QString>
#include <QStringList>

struct TServerOptions {
    QString listenAddress = QStringLiteral("127.0.0.1");
    int port = 8211;                       // 0 = any free port, printed on stdout
    QString database = QStringLiteral("est99000.db");
    QString tokenFile;                     // empty = no access token required
    bool initDemo = false;
    int demoScale = 1;
    qint64 maxRequestBytes = 8 * 1024 * 1024;
    int busyTimeoutMs = 5000;              // SQLite: how long a write waits for a locked database
    int threads = 8;                       // worker threads answering requests
    int maxConnections = 256;              // connections served at once (more wait to be accepted)
    int requestTimeoutSeconds = 20;        // time for a request's headers and body to arrive
    int keepAliveSeconds = 5;              // an idle connection is closed after this
    bool showHelp = false;

    static constexpr int DefaultPort = 8211;
    static TServerOptions Parse(const QStringList& args);
    static QString Usage();
};
