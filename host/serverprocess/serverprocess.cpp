#include "host/serverprocess/serverprocess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
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
    QString dir = qEnvironmentVariable("EST_BIN_DIR");
    if (dir.isEmpty())
        dir = QCoreApplication::applicationDirPath();
    return dir + QStringLiteral("/est99000-server");
}

void TServerProcess::SetExecutable(const QString& path)
{
    executable_ = path;
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
    const QString executable = executable_.isEmpty() ? Executable() : executable_;
    process_.setStandardErrorFile(logDir_.filePath(QStringLiteral("servidor.log")), QIODevice::Append);
    if (!workingDirectory.isEmpty())
        process_.setWorkingDirectory(workingDirectory);
    process_.start(executable, QStringList{QStringLiteral("--port"), QStringLiteral("0")} + args);
    if (!process_.waitForStarted(10000)) {
        error_ = QStringLiteral("não foi possível iniciar o servidor %1: %2").arg(executable, process_.errorString());
        return false;
    }
    // The server creates and fills a new database before it listens, which takes a moment.
    static const QRegularExpression listening(QStringLiteral("listening on \\S+:(\\d+)"));
    QByteArray out;
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired() && process_.state() != QProcess::NotRunning) {
        process_.waitForReadyRead(200);
        out += process_.readAllStandardOutput();
        const QRegularExpressionMatch match = listening.match(QString::fromUtf8(out));
        if (match.hasMatch()) {
            port_ = match.captured(1).toInt();
            return true;
        }
    }
    error_ = QStringLiteral("o servidor não informou a porta em que atende. %1 %2")
                 .arg(QString::fromUtf8(out).trimmed(), Log().trimmed());
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
    QFile file(logDir_.filePath(QStringLiteral("servidor.log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
