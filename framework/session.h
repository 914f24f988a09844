#pragma once
// TSession: the host client's session, one per process (TSession::Instance()). The host fills it
// at start-up from its configuration file and command line; the framework and the module read it:
// the user's branch, the application server's host and port and access token, the connection
// time-outs, the host database (a SQLite file path, or a PostgreSQL connection string such as
// "host=db port=5432 dbname=est user=clerk password=..." or "postgresql://user:pw@db:5432/est"),
// the reports directory, the edit mask of product codes and the file of what the workstation
// remembers between sessions (TWorkstation).

#include <QString>

class TSession {
public:
    static TSession& Instance();

    QString Branch;                  // the user's branch code, e.g. "0001"
    QString ServerHost = QStringLiteral("127.0.0.1");
    int ServerPort = 8211;
    QString AccessToken;
    int ConnectTimeoutMs = 5000;
    int ReadTimeoutMs = 30000;
    QString DatabaseConnection;      // SQLite file path or PostgreSQL connection string
    QString ReportsDirectory;
    QString ProductCodeMask;         // edit mask of product codes, empty for none
    QString WorkstationFile;         // INI of the workstation's remembered choices, empty for none

private:
    TSession() = default;
};
