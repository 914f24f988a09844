#pragma once
// The desktop client's start-up settings: the session values (user's branch, application
// server host and port, access token and time-outs, host database, reports directory,
// product-code mask) and what the client does after start-up (open the label module, write a
// screenshot, which module library to load).
//
// TClientOptions::Load reads the INI file (default ~/.config/est99000/client.ini, or the file
// named by --config) and then lets the command-line options override it. An unknown option, a
// missing or bad value, a named configuration file that does not exist or an unreadable token
// file raise Exception with a Portuguese message naming the option or the file; a missing
// default configuration file is not an error (the defaults apply).

#include <QString>
#include <QStringList>

struct TClientOptions {
    QString branch = QStringLiteral("0001");
    QString serverHost = QStringLiteral("127.0.0.1");
    int serverPort = 8211;
    QString tokenFile;                 // empty = the server asks for no access token
    QString accessToken;               // read from tokenFile, surrounding blanks removed
    int connectTimeoutMs = 5000;
    int readTimeoutMs = 30000;
    QString database = QStringLiteral("est99000.db");  // SQLite file or PostgreSQL connection string
    QString reportsDir = QStringLiteral("reports");
    QString productMask;               // edit mask of product codes; empty = unmasked

    QString configPath;                // the INI file that was read (or would have been)
    QString modulePath;                // empty = libPkg_est99000.so beside the executable
    QString screenshotPath;            // non-empty: render the main window to this PNG and exit
    bool openModule = false;
    bool showHelp = false;
    bool showVersion = false;

    // `args` as QCoreApplication::arguments() gives them (program name first).
    static TClientOptions Load(const QStringList& args);
    static QString DefaultConfigPath();
    // The INI of what this workstation remembers (TWorkstation): estacao.ini beside configPath.
    QString WorkstationPath() const;
    static QString Usage();
};
