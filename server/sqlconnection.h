#pragma once
// One open connection to the server's database, through the database's own client library:
// SQLite's C API for a file, libpq for PostgreSQL. A connection belongs to the thread that uses
// it (TDatabase keeps one per worker thread). Opening raises EDatabaseUnavailable with a
// Portuguese message; Failure() turns the last error of either library into the same exception.
// Values are always sent apart from the SQL text (see TSqlStatement), so no value can change a
// statement and no statement text is ever part of an error message.

#include "databaseunavailable.h"

#include <QString>

struct sqlite3;
struct pg_conn;

enum class TDialect { SQLite, PostgreSQL };

struct TDatabaseConfig;

class TSqlConnection {
public:
    explicit TSqlConnection(const TDatabaseConfig& config);
    ~TSqlConnection();
    TSqlConnection(const TSqlConnection&) = delete;
    TSqlConnection& operator=(const TSqlConnection&) = delete;

    TDialect Dialect() const { return dialect_; }
    sqlite3* Sqlite() const { return sqlite_; }   // null on PostgreSQL
    pg_conn* Postgres() const { return pg_; }     // null on SQLite

    // Runs statements without parameters or rows (transaction control, DDL).
    void Run(const char* sql);

    // A database failure with its code (SQLite result code or PostgreSQL SQLSTATE) and the
    // database's own text, classified: locked, conflict worth one retry, connection lost, other.
    static EDatabaseUnavailable Failure(const QString& code, const QString& text, bool connectionLost);
    EDatabaseUnavailable SqliteFailure(int rc) const;
    EDatabaseUnavailable PostgresFailure(const struct pg_result* result) const;

private:
    TDialect dialect_;
    sqlite3* sqlite_ = nullptr;
    pg_conn* pg_ = nullptr;
};
