#pragma once
// One SQL statement on a connection, with bound parameters only: values from a request are
// always bound, never written into the SQL text. Every failure raises EDatabaseUnavailable
// (TDatabase::Failure) so that callers need no error checks of their own.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

class TSqlStatement {
public:
    TSqlStatement(const QSqlDatabase& db, const QString& sql);

    TSqlStatement& Bind(const QString& placeholder, const QVariant& value);
    TSqlStatement& Exec();
    bool Next();
    QVariant Value(int column) const;
    QString Text(int column) const;     // null reads as an empty text
    int RowsAffected() const;

    // Runs one statement without parameters (transaction control, DDL).
    static void Run(const QSqlDatabase& db, const QString& sql);

private:
    QSqlQuery query_;
};
