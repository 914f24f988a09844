#include "transaction.h"

TTransaction::TTransaction(TSqlConnection& db) : db_(db)
{
    db_.Run(db_.Dialect() == TDialect::SQLite ? "BEGIN IMMEDIATE" : "BEGIN");
    open_ = true;
}

TTransaction::~TTransaction()
{
    if (!open_)
        return;
    try {
        db_.Run("ROLLBACK");   // best effort: the connection may already be gone
    } catch (const EDatabaseUnavailable&) {
    }
}

void TTransaction::Commit()
{
    open_ = false;
    db_.Run("COMMIT");
}

void TTransaction::Rollback()
{
    if (!open_)
        return;
    open_ = false;
    db_.Run("ROLLBACK");
}
