#include "sqlstatement.h"

#include "database.h"

#include <QSqlError>

TSqlStatement::TSqlStatement(const QSqlDatabase& db, const QString& sql) : query_(db)
{
    query_.setForwardOnly(true);
    if (!query_.prepare(sql))
        throw TDatabase::Failure(query_.lastError());
}

TSqlStatement& TSqlStatement::Bind(const QString& placeholder, const QVariant& value)
{
    query_.bindValue(placeholder, value);
    return *this;
}

TSqlStatement& TSqlStatement::Exec()
{
    if (!query_.exec())
        throw TDatabase::Failure(query_.lastError());
    return *this;
}

bool TSqlStatement::Next()
{
    if (query_.next())
        return true;
    if (query_.lastError().isValid())
        throw TDatabase::Failure(query_.lastError());
    return false;
}

QVariant TSqlStatement::Value(int column) const
{
    return query_.value(column);
}

QString TSqlStatement::Text(int column) const
{
    const QVariant v = query_.value(column);
    return v.isNull() ? QString() : v.toString();
}

int TSqlStatement::RowsAffected() const
{
    return query_.numRowsAffected();
}

void TSqlStatement::Run(const QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql))
        throw TDatabase::Failure(q.lastError());
}
