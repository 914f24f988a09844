#include "transaction.h"

#include "sqlstatement.h"

#include <QSqlQuery>

TTransaction::TTransaction(const QSqlDatabase& db, TDialect dialect) : db_(db)
{
    TSqlStatement::Run(db_, dialect == TDialect::SQLite ? QStringLiteral("BEGIN IMMEDIATE")
                                                        : QStringLiteral("BEGIN"));
    open_ = true;
}

TTransaction::~TTransaction()
{
    if (open_) {
        QSqlQuery q(db_);
        q.exec(QStringLiteral("ROLLBACK"));   // best effort: the connection may already be gone
    }
}

void TTransaction::Commit()
{
    open_ = false;
    TSqlStatement::Run(db_, QStringLiteral("COMMIT"));
}

void TTransaction::Rollback()
{
    if (!open_)
        return;
    open_ = false;
    TSqlStatement::Run(db_, QStringLiteral("ROLLBACK"));
}
