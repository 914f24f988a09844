#include "clientoptions.h"

#include "platform/errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

int ParseNumber(const QString& option, const QString& text, int min, int max)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < min || value > max)
        throw Exception(QStringLiteral("Valor inválido para %1: \"%2\".").arg(option, text));
    return value;
}

// A PostgreSQL connection is given as a URL or as key=value words; anything else names a
// SQLite file.
bool IsFileDatabase(const QString& database)
{
    return !database.startsWith(QLatin1String("postgres")) && !database.contains(QLatin1Char('='));
}

// Paths written in the configuration file are relative to the file's own folder, so that a
// configuration can be moved together with its token and database.
QString BesideConfig(const QString& configPath, const QString& path)
{
    if (path.isEmpty() || QDir::isAbsolutePath(path))
        return path;
    return QFileInfo(configPath).absoluteDir().filePath(path);
}

QString FindConfigOption(const QStringList& args)
{
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] != QLatin1String("--config"))
            continue;
        if (i + 1 >= args.size())
            throw Exception(QStringLiteral("A opção --config precisa de um valor."));
        return args[i + 1];
    }
    return {};
}

void ReadConfigFile(TClientOptions& o)
{
    QSettings ini(o.configPath, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError)
        throw Exception(QStringLiteral("Arquivo de configuração ilegível: %1").arg(o.configPath));
    const QString file = o.configPath;
    auto text = [&](const char* key, const QString& current) {
        return ini.value(QLatin1String(key), current).toString();
    };
    auto number = [&](const char* key, int current, int min, int max) {
        const QVariant v = ini.value(QLatin1String(key));
        if (!v.isValid())
            return current;
        return ParseNumber(QStringLiteral("%1 em %2").arg(QLatin1String(key), file), v.toString(), min, max);
    };
    o.branch = text("session/branch", o.branch);
    o.productMask = text("session/productMask", o.productMask);
    o.serverHost = text("server/host", o.serverHost);
    o.serverPort = number("server/port", o.serverPort, 1, 65535);
    o.connectTimeoutMs = number("server/connectTimeoutMs", o.connectTimeoutMs, 1, 600000);
    o.readTimeoutMs = number("server/readTimeoutMs", o.readTimeoutMs, 1, 3600000);
    o.tokenFile = BesideConfig(file, text("server/tokenFile", o.tokenFile));
    const QString database = text("database/connection", QString());
    if (!database.isEmpty())
        o.database = IsFileDatabase(database) ? BesideConfig(file, database) : database;
    o.reportsDir = BesideConfig(file, text("reports/directory", o.reportsDir));
}

void ParseArguments(TClientOptions& o, const QStringList& args)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        auto next = [&]() -> QString {
            if (i + 1 >= args.size() || args[i + 1].isEmpty())
                throw Exception(QStringLiteral("A opção %1 precisa de um valor.").arg(a));
            return args[++i];
        };
        if (a == QLatin1String("--help") || a == QLatin1String("-h"))
            o.showHelp = true;
        else if (a == QLatin1String("--version"))
            o.showVersion = true;
        else if (a == QLatin1String("--config"))
            ++i;  // read before the other options
        else if (a == QLatin1String("--branch"))
            o.branch = next();
        else if (a == QLatin1String("--server-host"))
            o.serverHost = next();
        else if (a == QLatin1String("--server-port"))
            o.serverPort = ParseNumber(a, next(), 1, 65535);
        else if (a == QLatin1String("--token-file"))
            o.tokenFile = next();
        else if (a == QLatin1String("--database"))
            o.database = next();
        else if (a == QLatin1String("--reports-dir"))
            o.reportsDir = next();
        else if (a == QLatin1String("--product-mask"))
            o.productMask = args.value(++i);  // an empty mask is a valid choice: unmasked
        else if (a == QLatin1String("--open"))
            o.openModule = true;
        else if (a == QLatin1String("--screenshot"))
            o.screenshotPath = next();
        else if (a == QLatin1String("--module"))
            o.modulePath = next();
        else
            throw Exception(QStringLiteral("Opção desconhecida: %1").arg(a));
    }
}

QString ReadToken(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Não foi possível ler o arquivo do token de acesso: %1").arg(path));
    const QString token = QString::fromUtf8(f.readAll()).trimmed();
    if (token.isEmpty())
        throw Exception(QStringLiteral("O arquivo do token de acesso está vazio: %1").arg(path));
    return token;
}

} // namespace

QString TClientOptions::DefaultConfigPath()
{
    return QDir::homePath() + QStringLiteral("/.config/est99000/client.ini");
}

QString TClientOptions::WorkstationPath() const
{
    return QFileInfo(configPath).absoluteDir().filePath(QStringLiteral("estacao.ini"));
}

TClientOptions TClientOptions::Load(const QStringList& args)
{
    TClientOptions o;
    const QString named = FindConfigOption(args);
    o.configPath = named.isEmpty() ? DefaultConfigPath() : named;
    if (!named.isEmpty() && !QFileInfo::exists(named))
        throw Exception(QStringLiteral("Arquivo de configuração não encontrado: %1").arg(named));
    if (QFileInfo::exists(o.configPath))
        ReadConfigFile(o);
    ParseArguments(o, args);
    if (o.branch.trimmed().isEmpty())
        throw Exception(QStringLiteral("A filial do usuário deve ser informada."));
    if (!o.tokenFile.isEmpty())
        o.accessToken = ReadToken(o.tokenFile);
    return o;
}

QString TClientOptions::Usage()
{
    return QStringLiteral(
        "Uso: est-client [opções]\n"
        "  --config ARQUIVO          arquivo de configuração (padrão ~/.config/est99000/client.ini)\n"
        "  --branch FILIAL           filial do usuário\n"
        "  --server-host HOST        servidor de aplicação (padrão 127.0.0.1)\n"
        "  --server-port N           porta do servidor de aplicação (padrão 8211)\n"
        "  --token-file ARQUIVO      token de acesso ao servidor\n"
        "  --database ARQUIVO|URL    banco do cliente: arquivo SQLite ou conexão PostgreSQL\n"
        "  --reports-dir PASTA       pasta das definições de relatório\n"
        "  --product-mask MÁSCARA    máscara do código de produto\n"
        "  --module ARQUIVO          biblioteca do módulo (padrão libPkg_est99000.so ao lado do programa)\n"
        "  --open                    abre a Consulta/Desmembramento Etiqueta ao iniciar\n"
        "  --screenshot ARQUIVO.png  grava a janela principal em PNG depois de iniciar e sai\n"
        "  --version                 mostra a versão do cliente e sai\n"
        "  --help                    mostra esta ajuda e sai\n");
}
