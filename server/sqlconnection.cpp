#include "sqlconnection.h"

#include "database.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <string>
#include <vector>

namespace {

QString Trimmed(QString text)
{
    text = text.simplified();
    while (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

void IgnoreNotice(void*, const char*) {}

} // namespace

TSqlConnection::TSqlConnection(const TDatabaseConfig& config) : dialect_(config.dialect)
{
    if (dialect_ == TDialect::SQLite) {
        const QByteArray path = config.path.toUtf8();
        const int rc = sqlite3_open_v2(path.constData(), &sqlite_,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK) {
            const EDatabaseUnavailable e = Failure(QString::number(rc),
                                                   sqlite_ ? QString::fromUtf8(sqlite3_errmsg(sqlite_))
                                                           : QString::fromUtf8(sqlite3_errstr(rc)),
                                                   true);
            sqlite3_close(sqlite_);
            sqlite_ = nullptr;
            throw e;
        }
        sqlite3_busy_timeout(sqlite_, config.busyTimeoutMs);
        try {
            Run("PRAGMA foreign_keys = ON");
            Run("PRAGMA journal_mode = WAL");
        } catch (...) {
            sqlite3_close(sqlite_);
            throw;
        }
        return;
    }

    // Every part of the connection goes to libpq as its own keyword, never as one glued text.
    std::vector<std::string> keys, values;
    auto add = [&](const char* key, const QString& value) {
        if (!value.isEmpty()) {
            keys.emplace_back(key);
            values.emplace_back(value.toStdString());
        }
    };
    add("host", config.host);
    add("port", config.port > 0 ? QString::number(config.port) : QString());
    add("dbname", config.databaseName);
    add("user", config.user);
    add("password", config.password);
    for (const QString& option : config.options.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int eq = option.indexOf(QLatin1Char('='));
        if (eq > 0)
            add(option.left(eq).toUtf8().constData(), option.mid(eq + 1));
    }
    add("client_encoding", QStringLiteral("UTF8"));
    std::vector<const char*> k, v;
    for (size_t i = 0; i < keys.size(); ++i) {
        k.push_back(keys[i].c_str());
        v.push_back(values[i].c_str());
    }
    k.push_back(nullptr);
    v.push_back(nullptr);
    pg_ = PQconnectdbParams(k.data(), v.data(), 0);
    if (!pg_ || PQstatus(pg_) != CONNECTION_OK) {
        const EDatabaseUnavailable e =
            Failure(QString(), pg_ ? QString::fromUtf8(PQerrorMessage(pg_)) : QStringLiteral("sem memória"), true);
        PQfinish(pg_);
        pg_ = nullptr;
        throw e;
    }
    PQsetNoticeProcessor(pg_, IgnoreNotice, nullptr);
    try {
        Run("SET client_min_messages = warning");
    } catch (...) {
        PQfinish(pg_);
        throw;
    }
}

TSqlConnection::~TSqlConnection()
{
    if (sqlite_)
        sqlite3_close_v2(sqlite_);
    if (pg_)
        PQfinish(pg_);
}

void TSqlConnection::Run(const char* sql)
{
    if (sqlite_) {
        const int rc = sqlite3_exec(sqlite_, sql, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            throw SqliteFailure(rc);
        return;
    }
    PGresult* r = PQexec(pg_, sql);
    const ExecStatusType status = r ? PQresultStatus(r) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        const EDatabaseUnavailable e = PostgresFailure(r);
        PQclear(r);
        throw e;
    }
    PQclear(r);
}

EDatabaseUnavailable TSqlConnection::SqliteFailure(int rc) const
{
    const int primary = rc & 0xff;
    const bool lost = primary == SQLITE_CANTOPEN || primary == SQLITE_IOERR || primary == SQLITE_NOTADB ||
                      primary == SQLITE_CORRUPT;
    return Failure(QString::number(primary), QString::fromUtf8(sqlite3_errmsg(sqlite_)), lost);
}

EDatabaseUnavailable TSqlConnection::PostgresFailure(const PGresult* result) const
{
    // The primary message only: it never quotes the statement or its values.
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    const QString text = QString::fromUtf8(primary ? primary : PQerrorMessage(pg_));
    return Failure(QString::fromLatin1(state ? state : ""), text, PQstatus(pg_) != CONNECTION_OK);
}

EDatabaseUnavailable TSqlConnection::Failure(const QString& code, const QString& databaseText, bool connectionLost)
{
    const QString text = Trimmed(databaseText);
    const QString lower = text.toLower();
    if (code == QLatin1String("5") || code == QLatin1String("6") || lower.contains(QLatin1String("database is locked")))
        return EDatabaseUnavailable(QStringLiteral("Banco de dados indisponível: o banco de dados está bloqueado por "
                                                   "outra operação; tente novamente em instantes."));
    if (code == QLatin1String("40001") || code == QLatin1String("40P01")) {
        EDatabaseUnavailable e(QStringLiteral("Banco de dados indisponível: a alteração conflitou com outra "
                                              "feita ao mesmo tempo; tente novamente."));
        e.retryable = true;
        return e;
    }
    if (connectionLost || code.startsWith(QLatin1String("08")) || code.startsWith(QLatin1String("57P"))) {
        EDatabaseUnavailable e(QStringLiteral("Banco de dados indisponível: não foi possível falar com o banco "
                                              "de dados (%1).").arg(text));
        e.connectionLost = true;
        return e;
    }
    return EDatabaseUnavailable(QStringLiteral("Banco de dados indisponível: %1.").arg(text));
}
