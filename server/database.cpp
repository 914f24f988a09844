#include "database.h"

#include "platform/errors.h"

#include <QUrl>
#include <QUrlQuery>

namespace {

bool IsPostgresText(const QString& text)
{
    if (text.startsWith(QLatin1String("postgresql://")) || text.startsWith(QLatin1String("postgres://")))
        return true;
    // key=value connection strings always name at least one of these keys.
    static const QStringList keys = {QStringLiteral("host="), QStringLiteral("dbname="),
                                     QStringLiteral("user="), QStringLiteral("port="),
                                     QStringLiteral("hostaddr=")};
    for (const QString& part : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        for (const QString& k : keys)
            if (part.startsWith(k))
                return true;
    return false;
}

} // namespace

TDatabaseConfig TDatabaseConfig::FromText(const QString& text, int busyTimeoutMs)
{
    TDatabaseConfig c;
    c.busyTimeoutMs = busyTimeoutMs;
    if (!IsPostgresText(text)) {
        c.dialect = TDialect::SQLite;
        c.path = text;
        return c;
    }
    c.dialect = TDialect::PostgreSQL;
    QStringList extra;
    if (text.contains(QLatin1String("://"))) {
        const QUrl url(text, QUrl::StrictMode);
        if (!url.isValid())
            throw Exception(QStringLiteral("Endereço de banco de dados inválido: %1").arg(url.errorString()));
        c.host = url.host();
        c.port = url.port(-1);
        c.user = url.userName();
        c.password = url.password();
        c.databaseName = url.path().mid(1);
        const QUrlQuery query(url);
        for (const auto& item : query.queryItems(QUrl::FullyDecoded))
            extra << item.first + QLatin1Char('=') + item.second;
    } else {
        for (const QString& part : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const int eq = part.indexOf(QLatin1Char('='));
            if (eq <= 0)
                throw Exception(QStringLiteral("Parâmetro de conexão inválido: \"%1\".").arg(part));
            const QString key = part.left(eq), value = part.mid(eq + 1);
            if (key == QLatin1String("host")) c.host = value;
            else if (key == QLatin1String("port")) c.port = value.toInt();
            else if (key == QLatin1String("dbname")) c.databaseName = value;
            else if (key == QLatin1String("user")) c.user = value;
            else if (key == QLatin1String("password")) c.password = value;
            else extra << part;
        }
    }
    if (!extra.join(QLatin1Char(';')).contains(QLatin1String("connect_timeout")))
        extra << QStringLiteral("connect_timeout=5");
    c.options = extra.join(QLatin1Char(';'));
    return c;
}

QString TDatabaseConfig::Describe() const
{
    if (dialect == TDialect::SQLite)
        return QStringLiteral("SQLite %1").arg(path);
    return QStringLiteral("PostgreSQL %1@%2:%3/%4")
        .arg(user, host.isEmpty() ? QStringLiteral("localhost") : host)
        .arg(port < 0 ? 5432 : port)
        .arg(databaseName);
}

TDatabase::TDatabase(TDatabaseConfig config) : config_(std::move(config)) {}

TDatabase::~TDatabase() = default;

TSqlConnection& TDatabase::Connection()
{
    const std::thread::id self = std::this_thread::get_id();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = connections_.find(self);
        if (it != connections_.end())
            return *it->second;
    }
    // Opened outside the lock: a slow database server delays only the thread that waits for it.
    auto connection = std::make_unique<TSqlConnection>(config_);
    std::lock_guard<std::mutex> lock(mutex_);
    return *(connections_[self] = std::move(connection));
}

void TDatabase::Discard()
{
    std::unique_ptr<TSqlConnection> dropped;
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = connections_.find(std::this_thread::get_id());
    if (it != connections_.end()) {
        dropped = std::move(it->second);
        connections_.erase(it);
    }
}
