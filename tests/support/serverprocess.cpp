#include "serverprocess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>

#include <signal.h>

TServerProcess::TServerProcess() = default;

TServerProcess::~TServerProcess()
{
    Stop();
}

QString TServerProcess::Executable()
{
    // Test programs are built next to the server, so their own folder is the fallback.
    QString dir = qEnvironmentVariable("EST_BIN_DIR");
    if (dir.isEmpty())
        dir = QCoreApplication::applicationDirPath();
    return dir + QStringLiteral("/est99000-server");
}

void TServerProcess::SetEnvironment(const QString& name, const QString& value)
{
    QProcessEnvironment environment = process_.processEnvironment();
    if (environment.isEmpty())
        environment = QProcessEnvironment::systemEnvironment();
    environment.insert(name, value);
    process_.setProcessEnvironment(environment);
}

bool TServerProcess::Start(const QStringList& args, const QString& workingDirectory, int timeoutMs)
{
    port_ = 0;
    process_.setStandardErrorFile(logDir_.filePath(QStringLiteral("server.log")), QIODevice::Append);
    if (!workingDirectory.isEmpty())
        process_.setWorkingDirectory(workingDirectory);
    process_.start(Executable(), QStringList{QStringLiteral("--port"), QStringLiteral("0")} + args);
    if (!process_.waitForStarted(10000)) {
        error_ = QStringLiteral("não foi possível iniciar %1: %2").arg(Executable(), process_.errorString());
        return false;
    }
    static const QRegularExpression line(QStringLiteral("listening on (\\S+):(\\d+)"));
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (process_.state() == QProcess::NotRunning)
            break;
        process_.waitForReadyRead(200);
        out += process_.readAllStandardOutput();
        const auto m = line.match(QString::fromUtf8(out));
        if (m.hasMatch()) {
            port_ = m.captured(2).toInt();
            return true;
        }
    }
    error_ = QStringLiteral("o servidor não informou a porta: %1 %2").arg(QString::fromUtf8(out), Log());
    Stop();
    return false;
}

bool TServerProcess::Running() const
{
    return process_.state() != QProcess::NotRunning;
}

int TServerProcess::Stop(int timeoutMs)
{
    if (process_.state() == QProcess::NotRunning)
        return process_.exitStatus() == QProcess::NormalExit && port_ ? process_.exitCode() : -1;
    ::kill(pid_t(process_.processId()), SIGTERM);
    if (!process_.waitForFinished(timeoutMs)) {
        process_.kill();
        process_.waitForFinished(5000);
        return -1;
    }
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

QString TServerProcess::Log() const
{
    QFile f(logDir_.filePath(QStringLiteral("server.log")));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}
