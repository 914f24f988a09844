#pragma once
// One SQL statement on a connection, with bound parameters only: values from a request are
// always bound through the database's parameter interface (sqlite3_bind_*, libpq's
// PQexecParams), never written into the SQL text. Placeholders are written ":name" in the SQL of
// both databases; one name may appear several times. A text holding a NUL byte is refused before
// it reaches the database. Every failure raises EDatabaseUnavailable.
//
//   TSqlStatement q(db, "SELECT A, B FROM T WHERE C = :c");
//   q.Bind(":c", value).Exec();
//   while (q.Next()) { q.Text(0); q.Double(1); }
//
// The readers take the column of the current row; Utf8() gives the bytes as the database holds
// them, valid until the next Next() or Exec(), for callers that write replies without copies.
// Date-times travel as wall-clock texts ("yyyy-MM-dd HH:mm:ss"), never through a time zone.

#include "sqlconnection.h"

#include <QString>
#include <QVariant>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3_stmt;

class TSqlStatement {
public:
    TSqlStatement(TSqlConnection& db, const QString& sql);
    ~TSqlStatement();
    TSqlStatement(const TSqlStatement&) = delete;
    TSqlStatement& operator=(const TSqlStatement&) = delete;

    // Null or invalid QVariant = SQL NULL; numbers as numbers; QDateTime as wall-clock text;
    // everything else as UTF-8 text.
    TSqlStatement& Bind(const QString& placeholder, const QVariant& value);
    TSqlStatement& Exec();
    bool Next();

    // How the database holds a column's value in the current row: text covers every kind the
    // statement does not read as a number (dates, texts, blobs).
    enum class TColumnKind { Null, Integer, Real, Text };

    int Columns() const;
    QString ColumnName(int column) const;   // as the database names it (PostgreSQL: lower case)
    TColumnKind Kind(int column) const;
    bool IsNull(int column) const;
    std::string_view Utf8(int column) const;
    QString Text(int column) const;     // null reads as an empty text
    double Double(int column) const;    // null reads as 0
    qint64 Int64(int column) const;     // null reads as 0
    QVariant Value(int column) const;   // qint64, double, QString or null, by the column's kind
    int RowsAffected() const;

    // Runs one statement without parameters (transaction control, DDL).
    static void Run(TSqlConnection& db, const QString& sql);

private:
    struct TParam {
        enum class Kind { Null, Text, Double, Integer } kind = Kind::Null;
        std::string text;   // UTF-8, or the number's shortest exact text for PostgreSQL
        double number = 0;
        qint64 integer = 0;
    };
    void Reset();
    bool Step();

    TSqlConnection& db_;
    std::vector<std::string> names_;   // placeholder names, index = parameter number - 1
    std::unordered_map<std::string, size_t> index_;
    std::vector<size_t> occurrences_;  // SQLite: the name number of each "?" in turn
    std::vector<TParam> params_;
    // SQLite
    sqlite3_stmt* stmt_ = nullptr;
    bool pendingRow_ = false, executed_ = false;
    // PostgreSQL
    std::string pgSql_;
    struct pg_result* result_ = nullptr;
    int row_ = -1, rows_ = 0;
};
