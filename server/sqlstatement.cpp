#include "sqlstatement.h"

#include "dbvalues.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <QDateTime>

#include <charconv>
#include <cstdlib>
#include <unordered_map>

namespace {

constexpr Oid Float8Oid = 701, Int8Oid = 20;

bool NameStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool NameChar(char c)
{
    return NameStart(c) || (c >= '0' && c <= '9');
}

// The SQL with each ":name" placeholder replaced by the database's own: "$N" on PostgreSQL (one
// number per distinct name), "?" on SQLite (one per occurrence; `occurrences` receives the name
// number of each). Quoted texts and names and "::" casts are left alone. `names` receives the
// distinct names in their numbering, `index` maps each to it.
std::string Numbered(const std::string& sql, bool numbered, std::vector<std::string>& names,
                     std::unordered_map<std::string, size_t>& index, std::vector<size_t>& occurrences)
{
    std::string out;
    out.reserve(sql.size() + 16);
    for (size_t i = 0; i < sql.size();) {
        const char c = sql[i];
        if (c == '\'' || c == '"') {
            const size_t end = sql.find(c, i + 1);
            const size_t stop = end == std::string::npos ? sql.size() : end + 1;
            out.append(sql, i, stop - i);
            i = stop;
        } else if (c == ':' && i + 1 < sql.size() && sql[i + 1] == ':') {
            out += "::";
            i += 2;
        } else if (c == ':' && i + 1 < sql.size() && NameStart(sql[i + 1])) {
            size_t end = i + 1;
            while (end < sql.size() && NameChar(sql[end]))
                ++end;
            std::string name = sql.substr(i, end - i);
            const auto [it, added] = index.emplace(name, names.size());
            if (added)
                names.push_back(std::move(name));
            if (numbered) {
                out += '$';
                out += std::to_string(it->second + 1);
            } else {
                out += '?';
                occurrences.push_back(it->second);
            }
            i = end;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

} // namespace

TSqlStatement::TSqlStatement(TSqlConnection& db, const QString& sql) : db_(db)
{
    const std::string text = sql.toStdString();
    if (db_.Dialect() == TDialect::PostgreSQL) {
        pgSql_ = Numbered(text, true, names_, index_, occurrences_);
    } else {
        const std::string numbered = Numbered(text, false, names_, index_, occurrences_);
        const int rc = sqlite3_prepare_v2(db_.Sqlite(), numbered.c_str(), int(numbered.size()), &stmt_, nullptr);
        if (rc != SQLITE_OK)
            throw db_.SqliteFailure(rc);
    }
    params_.resize(names_.size());
}

TSqlStatement::~TSqlStatement()
{
    if (stmt_)
        sqlite3_finalize(stmt_);
    PQclear(result_);
}

TSqlStatement& TSqlStatement::Bind(const QString& placeholder, const QVariant& value)
{
    const auto found = index_.find(placeholder.toStdString());
    if (found == index_.end())
        throw EDatabaseUnavailable(QStringLiteral("Falha no servidor: o parâmetro %1 não existe na instrução.").arg(placeholder));
    TParam p;
    if (value.isNull() || !value.isValid()) {
        p.kind = TParam::Kind::Null;
    } else {
        switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float: {
            p.kind = TParam::Kind::Double;
            p.number = value.toDouble();
            char buf[32];
            const auto r = std::to_chars(buf, buf + sizeof buf, p.number);
            p.text.assign(buf, r.ptr);
            break;
        }
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::Bool:
            p.kind = TParam::Kind::Integer;
            p.integer = value.toLongLong();
            p.text = std::to_string(p.integer);
            break;
        case QMetaType::QDateTime:
            p.kind = TParam::Kind::Text;
            p.text = SqlDateTimeText(value.toDateTime()).toStdString();
            break;
        default:
            p.kind = TParam::Kind::Text;
            p.text = value.toString().toStdString();
            // libpq ends a text at its first NUL byte: such a text would silently become another.
            if (p.text.find('\0') != std::string::npos)
                throw EDatabaseUnavailable(QStringLiteral("Falha no servidor: um texto com caractere nulo não pode ser gravado."));
            break;
        }
    }
    params_[found->second] = std::move(p);
    return *this;
}

void TSqlStatement::Reset()
{
    if (stmt_ && executed_)
        sqlite3_reset(stmt_);
    executed_ = pendingRow_ = false;
    PQclear(result_);
    result_ = nullptr;
    row_ = -1;
    rows_ = 0;
}

TSqlStatement& TSqlStatement::Exec()
{
    Reset();
    if (stmt_) {
        for (size_t i = 0; i < occurrences_.size(); ++i) {
            const TParam& p = params_[occurrences_[i]];
            const int n = int(i + 1);
            int rc = SQLITE_OK;
            switch (p.kind) {
            case TParam::Kind::Null: rc = sqlite3_bind_null(stmt_, n); break;
            case TParam::Kind::Double: rc = sqlite3_bind_double(stmt_, n, p.number); break;
            case TParam::Kind::Integer: rc = sqlite3_bind_int64(stmt_, n, p.integer); break;
            case TParam::Kind::Text:
                rc = sqlite3_bind_text(stmt_, n, p.text.data(), int(p.text.size()), SQLITE_STATIC);
                break;
            }
            if (rc != SQLITE_OK)
                throw db_.SqliteFailure(rc);
        }
        executed_ = true;
        pendingRow_ = Step();
        return *this;
    }
    std::vector<const char*> values(params_.size());
    std::vector<Oid> types(params_.size());
    for (size_t i = 0; i < params_.size(); ++i) {
        const TParam& p = params_[i];
        values[i] = p.kind == TParam::Kind::Null ? nullptr : p.text.c_str();
        // Numbers say their kind; texts are left for the database to read by the column they meet.
        types[i] = p.kind == TParam::Kind::Double ? Float8Oid : p.kind == TParam::Kind::Integer ? Int8Oid : 0;
    }
    result_ = PQexecParams(db_.Postgres(), pgSql_.c_str(), int(params_.size()), types.data(), values.data(),
                           nullptr, nullptr, 0);
    const ExecStatusType status = result_ ? PQresultStatus(result_) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        const EDatabaseUnavailable e = db_.PostgresFailure(result_);
        PQclear(result_);
        result_ = nullptr;
        throw e;
    }
    rows_ = PQntuples(result_);
    return *this;
}

bool TSqlStatement::Step()
{
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throw db_.SqliteFailure(rc);
}

bool TSqlStatement::Next()
{
    if (stmt_) {
        if (!executed_)
            return false;
        if (pendingRow_) {
            pendingRow_ = false;
            return true;
        }
        if (Step())
            return true;
        executed_ = false;
        sqlite3_reset(stmt_);
        return false;
    }
    if (!result_ || row_ + 1 >= rows_)
        return false;
    ++row_;
    return true;
}

int TSqlStatement::Columns() const
{
    return stmt_ ? sqlite3_column_count(stmt_) : result_ ? PQnfields(result_) : 0;
}

bool TSqlStatement::IsNull(int column) const
{
    if (stmt_)
        return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
    return !result_ || PQgetisnull(result_, row_, column);
}

std::string_view TSqlStatement::Utf8(int column) const
{
    if (stmt_) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return text ? std::string_view(text, size_t(sqlite3_column_bytes(stmt_, column))) : std::string_view();
    }
    if (IsNull(column))
        return {};
    return std::string_view(PQgetvalue(result_, row_, column), size_t(PQgetlength(result_, row_, column)));
}

QString TSqlStatement::Text(int column) const
{
    const std::string_view v = Utf8(column);
    return QString::fromUtf8(v.data(), qsizetype(v.size()));
}

double TSqlStatement::Double(int column) const
{
    if (stmt_)
        return sqlite3_column_double(stmt_, column);
    return IsNull(column) ? 0.0 : std::strtod(PQgetvalue(result_, row_, column), nullptr);
}

qint64 TSqlStatement::Int64(int column) const
{
    if (stmt_)
        return sqlite3_column_int64(stmt_, column);
    return IsNull(column) ? 0 : std::strtoll(PQgetvalue(result_, row_, column), nullptr, 10);
}

QString TSqlStatement::ColumnName(int column) const
{
    const char* name = stmt_ ? sqlite3_column_name(stmt_, column) : result_ ? PQfname(result_, column) : nullptr;
    return name ? QString::fromUtf8(name) : QString();
}

TSqlStatement::TColumnKind TSqlStatement::Kind(int column) const
{
    if (IsNull(column))
        return TColumnKind::Null;
    if (stmt_) {
        switch (sqlite3_column_type(stmt_, column)) {
        case SQLITE_INTEGER: return TColumnKind::Integer;
        case SQLITE_FLOAT: return TColumnKind::Real;
        default: return TColumnKind::Text;
        }
    }
    switch (PQftype(result_, column)) {
    case 20: case 21: case 23: return TColumnKind::Integer;          // int8, int2, int4
    case 700: case 701: case 1700: return TColumnKind::Real;         // float4, float8, numeric
    default: return TColumnKind::Text;
    }
}

QVariant TSqlStatement::Value(int column) const
{
    switch (Kind(column)) {
    case TColumnKind::Null: return QVariant();
    case TColumnKind::Integer: return QVariant(Int64(column));
    case TColumnKind::Real: return QVariant(Double(column));
    case TColumnKind::Text: break;
    }
    return QVariant(Text(column));
}

int TSqlStatement::RowsAffected() const
{
    if (stmt_)
        return sqlite3_changes(db_.Sqlite());
    return result_ ? std::atoi(PQcmdTuples(result_)) : 0;
}

void TSqlStatement::Run(TSqlConnection& db, const QString& sql)
{
    db.Run(sql.toUtf8().constData());
}
