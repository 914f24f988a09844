#include "database.h"

#include <QAtomicInt>
#include <QMutexLocker>
#include <QSqlQuery>
#include <QThread>
#include <QUrl>
#include <QUrlQuery>

#include <sstream>
#include <thread>

namespace {

QAtomicInt nextInstance = 0;

QString Trimmed(QString text)
{
    text = text.simplified();
    while (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

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

TDatabase::TDatabase(TDatabaseConfig config)
    : config_(std::move(config)),
      prefix_(QStringLiteral("est99000-db%1-").arg(nextInstance.fetchAndAddRelaxed(1)))
{
}

TDatabase::~TDatabase()
{
    QMutexLocker lock(&mutex_);
    for (const QString& name : names_)
        QSqlDatabase::removeDatabase(name);
}

QString TDatabase::ConnectionName() const
{
    std::ostringstream id;
    id << std::this_thread::get_id();
    return prefix_ + QString::fromStdString(id.str());
}

void TDatabase::Configure(QSqlDatabase& db) const
{
    if (config_.dialect == TDialect::SQLite) {
        db.setDatabaseName(config_.path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(config_.busyTimeoutMs));
        return;
    }
    db.setHostName(config_.host);
    if (config_.port > 0)
        db.setPort(config_.port);
    db.setDatabaseName(config_.databaseName);
    db.setUserName(config_.user);
    db.setPassword(config_.password);
    db.setConnectOptions(config_.options);
}

void TDatabase::AfterOpen(QSqlDatabase& db) const
{
    QStringList statements;
    if (config_.dialect == TDialect::SQLite)
        statements << QStringLiteral("PRAGMA foreign_keys = ON") << QStringLiteral("PRAGMA journal_mode = WAL");
    else
        statements << QStringLiteral("SET client_min_messages = warning");
    for (const QString& sql : statements) {
        QSqlQuery q(db);
        if (!q.exec(sql))
            throw Failure(q.lastError());
    }
}

QSqlDatabase TDatabase::Connection()
{
    const QString name = ConnectionName();
    QSqlDatabase db = QSqlDatabase::database(name, false);
    if (!db.isValid()) {
        db = QSqlDatabase::addDatabase(config_.dialect == TDialect::SQLite ? QStringLiteral("QSQLITE")
                                                                           : QStringLiteral("QPSQL"),
                                       name);
        if (!db.isValid())
            throw EDatabaseUnavailable(QStringLiteral("Banco de dados indisponível: o driver %1 não está instalado.")
                                           .arg(db.driverName()));
        QMutexLocker lock(&mutex_);
        names_ << name;
    }
    if (db.isOpen())
        return db;
    Configure(db);
    if (!db.open()) {
        const QSqlError error = db.lastError();
        db.close();
        throw Failure(error);
    }
    try {
        AfterOpen(db);
    } catch (...) {
        db.close();
        throw;
    }
    return db;
}

void TDatabase::Discard()
{
    QSqlDatabase db = QSqlDatabase::database(ConnectionName(), false);
    if (db.isValid())
        db.close();
}

EDatabaseUnavailable TDatabase::Failure(const QSqlError& error)
{
    const QString code = error.nativeErrorCode();
    const QString text = Trimmed(error.databaseText().isEmpty() ? error.driverText() : error.databaseText());
    const QString lower = text.toLower();
    if (code == QLatin1String("5") || code == QLatin1String("6") || lower.contains(QLatin1String("database is locked"))) {
        EDatabaseUnavailable e(QStringLiteral("Banco de dados indisponível: o banco de dados está bloqueado por "
                                              "outra operação; tente novamente em instantes."));
        return e;
    }
    if (code == QLatin1String("40001") || code == QLatin1String("40P01")) {
        EDatabaseUnavailable e(QStringLiteral("Banco de dados indisponível: a alteração conflitou com outra "
                                              "feita ao mesmo tempo; tente novamente."));
        e.retryable = true;
        return e;
    }
    const bool lost = error.type() == QSqlError::ConnectionError || code.startsWith(QLatin1String("08")) ||
                      code.startsWith(QLatin1String("57P")) || lower.contains(QLatin1String("connection")) ||
                      lower.contains(QLatin1String("unable to open")) || lower.contains(QLatin1String("server closed"));
    if (lost) {
        EDatabaseUnavailable e(QStringLiteral("Banco de dados indisponível: não foi possível falar com o banco "
                                              "de dados (%1).").arg(text));
        e.connectionLost = true;
        return e;
    }
    return EDatabaseUnavailable(QStringLiteral("Banco de dados indisponível: %1.").arg(text));
}
