#pragma once
// est99000-server as a child process on a loopback port the server picks itself, for the
// scripted road and for the tests. Start() passes "--port 0" and the given arguments, waits for
// the "listening on ADDR:PORT" line and returns true with Port() set, or false with Error()
// saying why (in Portuguese, with what the server printed). Standard error goes to a file in a
// temporary folder (Log() reads it), so a busy server never blocks on its log. Stop() sends
// SIGTERM and waits; the destructor stops a server still running.

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

    // The server beside the running program: in $EST_BIN_DIR when set (the tests), else in the
    // program's own folder.
    static QString Executable();

    // The server program to start instead of Executable().
    void SetExecutable(const QString& path);
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
    QString executable_;
    int port_ = 0;
    QString error_;
};
