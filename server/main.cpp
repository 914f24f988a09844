// est99000-server: the application server of the label module. Opens (and creates or upgrades)
// the database, optionally fills demonstration data, and serves "Est99000.rdmConsDesEtiq" over
// HTTP until SIGINT or SIGTERM.

#include "appserver.h"
#include "database.h"
#include "demodata.h"
#include "migrations.h"
#include "rpcdispatcher.h"
#include "serveroptions.h"

#include "platform/errors.h"

#include <QCoreApplication>
#include <QFile>

#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <thread>

namespace {

void Say(const QString& text)
{
    const QByteArray bytes = (text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

QString ReadToken(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Não foi possível ler o arquivo de token %1: %2").arg(path, f.errorString()));
    const QString token = QString::fromUtf8(f.readAll()).trimmed();
    if (token.isEmpty())
        throw Exception(QStringLiteral("O arquivo de token %1 está vazio.").arg(path));
    return token;
}

int Serve(const TServerOptions& options)
{
    TDatabase database(TDatabaseConfig::FromText(options.database, options.busyTimeoutMs));
    const int version = TMigrations::Apply(database);
    Say(QStringLiteral("banco de dados %1, esquema versão %2").arg(database.Config().Describe()).arg(version));
    if (options.initDemo && TDemoData::Fill(database, options.demoScale))
        Say(QStringLiteral("dados de demonstração criados (escala %1)").arg(options.demoScale));
    database.Discard();   // the main thread does not serve calls

    TAppServer::TSettings settings;
    settings.listenAddress = options.listenAddress;
    settings.port = options.port;
    settings.maxRequestBytes = options.maxRequestBytes;
    settings.threads = options.threads;
    settings.maxConnections = options.maxConnections;
    settings.requestTimeoutSeconds = options.requestTimeoutSeconds;
    settings.keepAliveSeconds = options.keepAliveSeconds;
    if (!options.tokenFile.isEmpty())
        settings.token = ReadToken(options.tokenFile);

    TRpcDispatcher dispatcher(database);
    TAppServer server(dispatcher, settings);
    const int port = server.Bind();
    std::printf("listening on %s:%d\n", options.listenAddress.toUtf8().constData(), port);
    std::fflush(stdout);

    // SIGINT and SIGTERM are blocked in every thread and taken by this one, which stops the
    // server: no new connection is accepted, and every one already accepted is answered.
    std::thread signalThread([&server] {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGINT);
        sigaddset(&set, SIGTERM);
        int sig = 0;
        sigwait(&set, &sig);
        server.Stop();
    });
    server.Run();
    pthread_kill(signalThread.native_handle(), SIGTERM);   // wakes the signal thread if Run ended by itself
    signalThread.join();
    Say(QStringLiteral("servidor encerrado"));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    QCoreApplication app(argc, argv);
    TServerOptions options;
    try {
        options = TServerOptions::Parse(app.arguments());
    } catch (const Exception& e) {
        Say(e.Message());
        Say(TServerOptions::Usage());
        return 2;
    }
    if (options.showHelp) {
        std::fputs(TServerOptions::Usage().toUtf8().constData(), stdout);
        return 0;
    }
    try {
        return Serve(options);
    } catch (const Exception& e) {
        Say(QStringLiteral("est99000-server: %1").arg(e.Message()));
        return 1;
    }
}
