#pragma once
// The application server the scripted road talks to: est99000-server started as a child process
// on a loopback port the server picks itself (--port 0, read back from its "listening on
// ADDR:PORT" line), on the database given (a SQLite file, created and filled with demonstration
// data when new, or a PostgreSQL connection string) with --init-demo. Its log goes to a file
// in a temporary folder, so a busy server never blocks on it; Stop() ends it with SIGTERM.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class TRoadServer {
public:
    TRoadServer() = default;
    ~TRoadServer();
    TRoadServer(const TRoadServer&) = delete;
    TRoadServer& operator=(const TRoadServer&) = delete;

    // False with Error() saying why (in Portuguese) when the server did not start listening.
    bool Start(const QString& executable, const QString& database);
    void Stop();

    int Port() const { return port_; }
    QString Error() const { return error_; }
    QString Log() const;

private:
    QProcess process_;
    QTemporaryDir logDir_;
    int port_ = 0;
    QString error_;
};
