#pragma once
// A write transaction on the calling thread's connection. SQLite takes the write lock at the
// start (BEGIN IMMEDIATE, waiting up to the busy time-out), so two writers never interleave;
// PostgreSQL starts a read-committed transaction and callers lock the rows they change.
// The destructor rolls back a transaction that was not committed. Failures raise
// EDatabaseUnavailable.

#include "sqlconnection.h"

class TTransaction {
public:
    explicit TTransaction(TSqlConnection& db);
    ~TTransaction();
    TTransaction(const TTransaction&) = delete;
    TTransaction& operator=(const TTransaction&) = delete;

    void Commit();
    void Rollback();

private:
    TSqlConnection& db_;
    bool open_ = false;
};
