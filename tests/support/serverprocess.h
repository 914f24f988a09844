#pragma once
// Runs est99000-server (from $EST_BIN_DIR, else the test program's own folder) as a child process on a port chosen at run time:
// Start() passes "--port 0" and the given arguments, waits for the "listening on ADDR:PORT" line
// and returns true with Port() set, or false with Error() holding what the server printed.
// Standard error goes to a file (Log() reads it), so a busy server never blocks on its log.
// Stop() sends SIGTERM and waits; the destructor stops a server still running.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class TServerProcess {
public:
    TServerProcess();
    ~TServerProcess();
    TServerProcess(const TServerProcess&) = delete;
    TServerProcess& operator=(const TServerProcess&) = delete;

    static QString Executable();

    // A variable of the server's environment (TZ, for instance), set before Start.
    void SetEnvironment(const QString& name, const QString& value);
    bool Start(const QStringList& args, const QString& workingDirectory = QString(), int timeoutMs = 60000);
    int Stop(int timeoutMs = 15000);   // exit code, -1 when it had to be killed or was not running
    bool Running() const;

    int Port() const { return port_; }
    QString Error() const { return error_; }
    QString Log() const;

private:
    QProcess process_;
    QTemporaryDir logDir_;
    int port_ = 0;
    QString error_;
};
