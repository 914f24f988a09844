#pragma once
// The server's database: a SQLite file or a PostgreSQL database, one connection per worker thread
// (a connection is used by one thread only). Connection() returns the calling thread's open
// connection, opening it on first use; Discard() drops it after a failure so that the next call
// reconnects. Every failure raises EDatabaseUnavailable with a Portuguese message.

#include "databaseunavailable.h"
#include "sqlconnection.h"

#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <mutex>
#include <thread>

struct TDatabaseConfig {
    TDialect dialect = TDialect::SQLite;
    QString path;          // SQLite file
    QString host, databaseName, user, password, options;
    int port = -1;
    int busyTimeoutMs = 5000;

    // A postgresql:// (or postgres://) URL or a key=value string (host=... dbname=...) selects
    // PostgreSQL; anything else is a SQLite file name. Raises Exception on a malformed URL.
    static TDatabaseConfig FromText(const QString& text, int busyTimeoutMs = 5000);
    QString Describe() const;   // for the start-up log line, without the password
};

class TDatabase {
public:
    explicit TDatabase(TDatabaseConfig config);
    ~TDatabase();
    TDatabase(const TDatabase&) = delete;
    TDatabase& operator=(const TDatabase&) = delete;

    TDialect Dialect() const { return config_.dialect; }
    const TDatabaseConfig& Config() const { return config_; }

    TSqlConnection& Connection();
    void Discard();

private:
    TDatabaseConfig config_;
    std::mutex mutex_;
    std::map<std::thread::id, std::unique_ptr<TSqlConnection>> connections_;
};
