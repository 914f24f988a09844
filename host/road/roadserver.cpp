#include "host/road/roadserver.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>

#include <signal.h>

TRoadServer::~TRoadServer()
{
    Stop();
}

bool TRoadServer::Start(const QString& executable, const QString& database)
{
    port_ = 0;
    process_.setStandardErrorFile(logDir_.filePath(QStringLiteral("servidor.log")));
    process_.start(executable, {QStringLiteral("--listen"), QStringLiteral("127.0.0.1"), QStringLiteral("--port"),
                                QStringLiteral("0"), QStringLiteral("--database"), database,
                                QStringLiteral("--init-demo")});
    if (!process_.waitForStarted(10000)) {
        error_ = QStringLiteral("não foi possível iniciar o servidor %1: %2").arg(executable, process_.errorString());
        return false;
    }
    // The server creates and fills a new database before it listens, which takes a moment.
    static const QRegularExpression listening(QStringLiteral("listening on \\S+:(\\d+)"));
    QByteArray out;
    const QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired() && process_.state() != QProcess::NotRunning) {
        process_.waitForReadyRead(200);
        out += process_.readAllStandardOutput();
        const QRegularExpressionMatch match = listening.match(QString::fromUtf8(out));
        if (match.hasMatch()) {
            port_ = match.captured(1).toInt();
            return true;
        }
    }
    error_ = QStringLiteral("o servidor não informou a porta em que atende. %1%2")
                 .arg(QString::fromUtf8(out).trimmed(), Log().trimmed());
    Stop();
    return false;
}

void TRoadServer::Stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(process_.processId()), SIGTERM);
    if (!process_.waitForFinished(15000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QString TRoadServer::Log() const
{
    QFile file(logDir_.filePath(QStringLiteral("servidor.log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
