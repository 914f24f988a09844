#include "pgcluster.h"

#include "freeport.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <unistd.h>

TPgCluster::TPgCluster() = default;

TPgCluster::~TPgCluster()
{
    Stop();
}

QString TPgCluster::BinDir()
{
    const QString env = qEnvironmentVariable("EST_PG_BIN");
    return env.isEmpty() ? QStringLiteral("/usr/lib/postgresql/15/bin") : env;
}

bool TPgCluster::Run(const QString& tool, const QStringList& args, int timeoutMs)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    const QString program = BinDir() + QLatin1Char('/') + tool;
    if (asPostgresUser_)
        p.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"), program} + args);
    else
        p.start(program, args);
    if (!p.waitForFinished(timeoutMs) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        error_ = QStringLiteral("%1 falhou: %2").arg(tool, QString::fromLocal8Bit(p.readAll()).trimmed());
        if (p.state() != QProcess::NotRunning)
            p.kill(), p.waitForFinished(5000);
        return false;
    }
    return true;
}

bool TPgCluster::Start()
{
    if (running_)
        return true;
    for (const char* tool : {"initdb", "pg_ctl", "createdb"}) {
        if (!QFileInfo(BinDir() + QLatin1Char('/') + QLatin1String(tool)).isExecutable()) {
            missing_ = true;
            error_ = QStringLiteral("PostgreSQL não instalado: %1/%2 não encontrado").arg(BinDir(), QLatin1String(tool));
            return false;
        }
    }
    if (!initialized_) {
        dir_ = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/est-pg-XXXXXX"));
        if (!dir_->isValid()) {
            error_ = QStringLiteral("não foi possível criar o diretório temporário");
            return false;
        }
        asPostgresUser_ = ::geteuid() == 0;
        if (asPostgresUser_) {
            QProcess::execute(QStringLiteral("chown"), {QStringLiteral("postgres:postgres"), dir_->path()});
        }
        if (!Run(QStringLiteral("initdb"), {QStringLiteral("-D"), dir_->path() + QStringLiteral("/data"), QStringLiteral("-U"),
                                            QStringLiteral("postgres"), QStringLiteral("--auth=trust"), QStringLiteral("-E"),
                                            QStringLiteral("UTF8"), QStringLiteral("--locale=C"), QStringLiteral("--no-sync")}))
            return false;
        initialized_ = true;
    }
    if (port_ == 0)
        port_ = FreeLoopbackPort();
    const QString options = QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off -c max_connections=200")
                                .arg(port_)
                                .arg(dir_->path());
    if (!Run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), dir_->path() + QStringLiteral("/data"), QStringLiteral("-o"), options,
                                        QStringLiteral("-l"), dir_->path() + QStringLiteral("/server.log"), QStringLiteral("-w"),
                                        QStringLiteral("start")}))
        return false;
    running_ = true;
    return true;
}

void TPgCluster::Stop()
{
    if (!running_)
        return;
    Run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), dir_->path() + QStringLiteral("/data"), QStringLiteral("-m"),
                                   QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")});
    running_ = false;
}

QString TPgCluster::Url(const QString& database) const
{
    return QStringLiteral("postgresql://postgres@127.0.0.1:%1/%2").arg(port_).arg(database);
}

QString TPgCluster::CreateDatabase(const QString& name)
{
    if (!running_ && !Start())
        return QString();
    if (!Run(QStringLiteral("createdb"), {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                                          QString::number(port_), QStringLiteral("-U"), QStringLiteral("postgres"), name}))
        return QString();
    return Url(name);
}
