// Throughput of the application server over HTTP, on SQLite and on PostgreSQL: GetProduto on an
// invoice of 500 labels, and groupings of two labels into one with 1, 4 and 16 clients at once
// (each client on its own connection and its own item, so every call is a real change), and one
// split of a label into 45,000 labels.
// PostgreSQL runs in a throwaway cluster; without its binaries only SQLite is measured.
//
// GetProduto is also timed in process (the dispatcher's whole call: request, queries, packets,
// JSON reply) beside its two SELECTs run alone through the database's C API (sqlite3, libpq),
// every value of every row read. The last line printed is
//   getproduto_vs_query=F sqlite_calls_per_s=G pg_calls_per_s=H
// F on SQLite, where both sides run on the benchmark's thread alone, from CPU time (goal F <= 2;
// the line before gives it on PostgreSQL, from wall time, as the queries run in the database's
// process), G and H one client over HTTP on loopback, from wall time. Each time is the lowest per
// call over the repetitions.

#include "benchsupport.h"
#include "server/appserver.h"
#include "server/database.h"
#include "server/demodata.h"
#include "server/migrations.h"
#include "server/rpcdispatcher.h"
#include "support/pgcluster.h"

#include "labels/packetlayouts.h"
#include "platform/packet.h"
#include "server/labelqueries.h"
#include "server/sqlstatement.h"

#include <benchmark/benchmark.h>
#include <httplib.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>

namespace {

constexpr int GroupingsPerClient = 150;
constexpr int LargeSplitLabels = 45000;
const QString LargeSplitEntry = QStringLiteral("0700000000");
const int ClientCounts[] = {1, 4, 16};

struct TLabel {
    QString barcode;
    double weight;
};

// One database with its in-process server.
struct TTarget {
    QString name;
    std::unique_ptr<TDatabase> database;
    std::unique_ptr<TRpcDispatcher> dispatcher;
    std::unique_ptr<TAppServer> server;
    std::thread serving;
    int port = 0;

    ~TTarget()
    {
        if (server) {
            server->Stop();
            serving.join();
        }
    }
};

QJsonObject Str(const QString& v)
{
    return {{QStringLiteral("type"), QStringLiteral("string")}, {QStringLiteral("value"), v}};
}

std::string Body(const QString& method, const QJsonArray& params)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("jsonrpc"), QStringLiteral("2.0")}, {QStringLiteral("id"), 1},
                                     {QStringLiteral("method"), method}, {QStringLiteral("params"), params}})
        .toJson(QJsonDocument::Compact)
        .toStdString();
}

QString GroupingEntry(int clients)
{
    return QStringLiteral("06%1").arg(clients, 8, 10, QLatin1Char('0'));
}

void Prepare(TTarget& t, const QString& connection)
{
    t.database = std::make_unique<TDatabase>(TDatabaseConfig::FromText(connection));
    TMigrations::Apply(*t.database);
    TDemoData::Fill(*t.database, 1);
    TDemoData::AddInvoice(*t.database, QStringLiteral("0001"), QStringLiteral("0500000000"), 1, 500);
    for (int clients : ClientCounts)
        TDemoData::AddInvoice(*t.database, QStringLiteral("0002"), GroupingEntry(clients), clients, GroupingsPerClient + 1);
    TDemoData::AddInvoice(*t.database, QStringLiteral("0003"), LargeSplitEntry, 1, 1);
    t.database->Discard();
    t.dispatcher = std::make_unique<TRpcDispatcher>(*t.database);
    TAppServer::TSettings s;
    s.port = 0;
    s.threads = 16;
    s.maxRequestBytes = 64 * 1024 * 1024;
    s.log = false;
    t.server = std::make_unique<TAppServer>(*t.dispatcher, s);
    t.port = t.server->Bind();
    t.serving = std::thread([&t] { t.server->Run(); });
}

// The active labels of one item, read once before the clients start.
QList<TLabel> ActiveLabels(TTarget& t, const QString& entry, const QString& item,
                           const QString& branch = QStringLiteral("0002"))
{
    TSqlStatement q(t.database->Connection(),
                    QStringLiteral("SELECT CDCODBARRAETIQ, VRPESOETIQ FROM ETIQUETA WHERE CDFILIAL = :b AND NRLANCTONF = :e"
                                   " AND NRSEQITPROD = :i AND IDSTATUSETIQ = 'A' ORDER BY NRSEQETIQ"));
    q.Bind(QStringLiteral(":b"), branch).Bind(QStringLiteral(":e"), entry).Bind(QStringLiteral(":i"), item).Exec();
    QList<TLabel> labels;
    while (q.Next())
        labels << TLabel{q.Text(0), q.Value(1).toDouble()};
    t.database->Discard();
    return labels;
}

std::string GroupingBody(const TLabel& a, const TLabel& b, const QString& entry, const QString& item, int seq, TLabel& created)
{
    TChangePacket p;
    p.fields = LabelChangeFields();
    auto inactivation = [](const QString& barcode) {
        QVariantList row;
        for (int i = 0; i < 9; ++i)
            row << QVariant();
        return row << QStringLiteral("I") << barcode;
    };
    const QString s = QString::number(seq).rightJustified(5, QLatin1Char('0'));
    created = TLabel{QStringLiteral("0002") + entry + item + s, a.weight + b.weight};
    p.changes << TChange{TChangeKind::Insert, {}, inactivation(a.barcode)} << TChange{TChangeKind::Insert, {}, inactivation(b.barcode)}
              << TChange{TChangeKind::Insert, {},
                         {QStringLiteral("U"), QStringLiteral("0002"), entry, item, s, QVariant(), 1.0, created.weight, QVariant(),
                          QStringLiteral("A"), created.barcode}};
    return Body(QStringLiteral("setEtiqueta"),
                {QJsonObject{{QStringLiteral("type"), QStringLiteral("packet")}, {QStringLiteral("value"), ChangePacketToJson(p)}}});
}

void GetProduto500(benchmark::State& state, TTarget* t)
{
    httplib::Client client("127.0.0.1", t->port);
    const std::string body = Body(QStringLiteral("GetProduto"), {Str(QStringLiteral("0001")), Str(QStringLiteral("0500000000"))});
    for (auto _ : state) {
        auto r = client.Post("/Est99000.rdmConsDesEtiq", body, "application/json");
        if (!r || r->status != 200 || r->body.find("\"result\"") == std::string::npos) {
            state.SkipWithError("GetProduto falhou");
            break;
        }
        benchmark::DoNotOptimize(r->body.size());
    }
    state.SetItemsProcessed(state.iterations());
}

// GetProduto's two SELECTs, as the label queries run them, with the placeholders written as the
// C API comparators need them.
std::string Sql(const char* sql, const char* first, const char* second)
{
    return QString::fromLatin1(sql)
        .replace(QLatin1String(":fil"), QLatin1String(first))
        .replace(QLatin1String(":lanc"), QLatin1String(second))
        .toStdString();
}

// The whole call in process, as the HTTP endpoint hands it to the dispatcher.
void GetProduto500InProcess(benchmark::State& state, TTarget* t)
{
    const QByteArray body = QByteArray::fromStdString(
        Body(QStringLiteral("GetProduto"), {Str(QStringLiteral("0001")), Str(QStringLiteral("0500000000"))}));
    for (auto _ : state) {
        const TRpcDispatcher::TReply reply = t->dispatcher->Handle(body, QStringLiteral("127.0.0.1"));
        if (!reply.body.contains("\"result\"")) {
            state.SkipWithError("GetProduto falhou");
            break;
        }
        benchmark::DoNotOptimize(reply.body.size());
    }
}

// The two SELECTs alone through sqlite3, prepared once, every value read as its column's kind.
void GetProduto500Sqlite(benchmark::State& state, TTarget* t)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(t->database->Config().path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        state.SkipWithError("sqlite3_open_v2 falhou");
        return;
    }
    sqlite3_stmt* statements[2] = {};
    const std::string sql[2] = {Sql(TLabelQueries::ItemsSql(), "?1", "?2"), Sql(TLabelQueries::LabelsSql(), "?1", "?2")};
    for (int i = 0; i < 2; ++i) {
        sqlite3_prepare_v2(db, sql[i].c_str(), -1, &statements[i], nullptr);
        sqlite3_bind_text(statements[i], 1, "0001", -1, SQLITE_STATIC);
        sqlite3_bind_text(statements[i], 2, "0500000000", -1, SQLITE_STATIC);
    }
    for (auto _ : state) {
        size_t cells = 0;
        for (sqlite3_stmt* s : statements) {
            const int columns = sqlite3_column_count(s);
            while (sqlite3_step(s) == SQLITE_ROW)
                for (int c = 0; c < columns; ++c) {
                    switch (sqlite3_column_type(s, c)) {
                    case SQLITE_FLOAT:
                    case SQLITE_INTEGER: benchmark::DoNotOptimize(sqlite3_column_double(s, c)); break;
                    case SQLITE_NULL: break;
                    default: benchmark::DoNotOptimize(sqlite3_column_text(s, c)); break;
                    }
                    ++cells;
                }
            sqlite3_reset(s);
        }
        benchmark::DoNotOptimize(cells);
    }
    for (sqlite3_stmt* s : statements)
        sqlite3_finalize(s);
    sqlite3_close(db);
}

// The two SELECTs alone through libpq, prepared once, every value of the text result read.
void GetProduto500Postgres(benchmark::State& state, const std::string* url)
{
    PGconn* conn = PQconnectdb(url->c_str());
    if (PQstatus(conn) != CONNECTION_OK) {
        state.SkipWithError(PQerrorMessage(conn));
        PQfinish(conn);
        return;
    }
    const std::string sql[2] = {Sql(TLabelQueries::ItemsSql(), "$1", "$2"), Sql(TLabelQueries::LabelsSql(), "$1", "$2")};
    const char* names[2] = {"itens", "etiquetas"};
    for (int i = 0; i < 2; ++i)
        PQclear(PQprepare(conn, names[i], sql[i].c_str(), 2, nullptr));
    const char* params[2] = {"0001", "0500000000"};
    for (auto _ : state) {
        size_t bytes = 0;
        for (const char* name : names) {
            PGresult* r = PQexecPrepared(conn, name, 2, params, nullptr, nullptr, 0);
            if (PQresultStatus(r) != PGRES_TUPLES_OK) {
                state.SkipWithError(PQresultErrorMessage(r));
                PQclear(r);
                break;
            }
            const int rows = PQntuples(r), columns = PQnfields(r);
            for (int row = 0; row < rows; ++row)
                for (int c = 0; c < columns; ++c)
                    if (!PQgetisnull(r, row, c))
                        bytes += std::strlen(PQgetvalue(r, row, c));
            PQclear(r);
        }
        benchmark::DoNotOptimize(bytes);
    }
    PQfinish(conn);
}

void Grouping(benchmark::State& state, TTarget* t, int clients, std::vector<QList<TLabel>>* prepared)
{
    const QString entry = GroupingEntry(clients);
    const QString item = QString::number(state.thread_index() + 1).rightJustified(4, QLatin1Char('0'));
    QList<TLabel> labels = (*prepared)[size_t(state.thread_index())];
    int seq = GroupingsPerClient + 1;
    httplib::Client client("127.0.0.1", t->port);
    client.set_read_timeout(60, 0);
    for (auto _ : state) {
        if (labels.size() < 2) {
            state.SkipWithError("etiquetas esgotadas");
            break;
        }
        TLabel created;
        const std::string body = GroupingBody(labels[0], labels[1], entry, item, ++seq, created);
        auto r = client.Post("/Est99000.rdmConsDesEtiq", body, "application/json");
        if (!r || r->body.find("\"value\":\"\"") == std::string::npos) {
            state.SkipWithError(r ? r->body.c_str() : "sem resposta");
            break;
        }
        labels.remove(0, 2);
        labels << created;
    }
    state.SetItemsProcessed(state.iterations());
}

// The one label of the large-split item as 45,000 labels whose weights add up to it exactly.
void LargeSplit(benchmark::State& state, TTarget* t)
{
    const QList<TLabel> source = ActiveLabels(*t, LargeSplitEntry, QStringLiteral("0001"), QStringLiteral("0003"));
    if (source.size() != 1) {
        state.SkipWithError("etiqueta de origem ausente");
        return;
    }
    const qint64 units = qint64(std::llround(source[0].weight * 1e10));
    TChangePacket p;
    p.fields = LabelChangeFields();
    for (int i = 0; i < LargeSplitLabels; ++i) {
        const qint64 share = units / LargeSplitLabels + (i == 0 ? units % LargeSplitLabels : 0);
        const QString s = QString::number(i + 2).rightJustified(5, QLatin1Char('0'));
        p.changes << TChange{TChangeKind::Insert, {},
                             {QStringLiteral("U"), QStringLiteral("0003"), LargeSplitEntry, QStringLiteral("0001"), s, QVariant(), 1.0,
                              double(share) / 1e10, QVariant(), QStringLiteral("A"),
                              QStringLiteral("0003") + LargeSplitEntry + QStringLiteral("0001") + s}};
    }
    QVariantList inactivation;
    for (int i = 0; i < 9; ++i)
        inactivation << QVariant();
    p.changes << TChange{TChangeKind::Insert, {}, inactivation << QStringLiteral("I") << source[0].barcode};
    const std::string body = Body(QStringLiteral("setEtiqueta"),
                                  {QJsonObject{{QStringLiteral("type"), QStringLiteral("packet")},
                                               {QStringLiteral("value"), ChangePacketToJson(p)}}});
    httplib::Client client("127.0.0.1", t->port);
    client.set_read_timeout(300, 0);
    for (auto _ : state) {
        auto r = client.Post("/Est99000.rdmConsDesEtiq", body, "application/json");
        if (!r || r->body.find("\"value\":\"\"") == std::string::npos) {
            state.SkipWithError(r ? r->body.substr(0, 300).c_str() : "sem resposta");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * LargeSplitLabels);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);

    QTemporaryDir dir;
    TPgCluster pg;
    std::vector<std::unique_ptr<TTarget>> targets;
    auto sqlite = std::make_unique<TTarget>();
    sqlite->name = QStringLiteral("SQLite");
    Prepare(*sqlite, dir.filePath(QStringLiteral("bench.db")));
    targets.push_back(std::move(sqlite));
    if (pg.Start()) {
        auto postgres = std::make_unique<TTarget>();
        postgres->name = QStringLiteral("PostgreSQL");
        Prepare(*postgres, pg.CreateDatabase(QStringLiteral("bench")));
        targets.push_back(std::move(postgres));
    } else {
        std::fprintf(stderr, "PostgreSQL ignorado: %s\n", pg.Error().toUtf8().constData());
    }

    std::vector<std::unique_ptr<std::vector<QList<TLabel>>>> preparedLabels;
    const std::string pgUrl = pg.Running() ? pg.Url(QStringLiteral("bench")).toStdString() : std::string();
    for (auto& t : targets) {
        const std::string name = t->name.toStdString();
        benchmark::RegisterBenchmark(("GetProduto500Labels/" + name).c_str(), GetProduto500, t.get())
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.5)
            ->Repetitions(5);
        benchmark::RegisterBenchmark(("GetProduto500InProcess/" + name).c_str(), GetProduto500InProcess, t.get())
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.5)
            ->Repetitions(5);
        if (t->database->Dialect() == TDialect::SQLite)
            benchmark::RegisterBenchmark(("GetProduto500Query/" + name).c_str(), GetProduto500Sqlite, t.get())
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond)
                ->MinTime(0.5)
                ->Repetitions(5);
        else
            benchmark::RegisterBenchmark(("GetProduto500Query/" + name).c_str(), GetProduto500Postgres, &pgUrl)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond)
                ->MinTime(0.5)
                ->Repetitions(5);
        for (int clients : ClientCounts) {
            auto labels = std::make_unique<std::vector<QList<TLabel>>>();
            for (int c = 1; c <= clients; ++c)
                labels->push_back(ActiveLabels(*t, GroupingEntry(clients), QString::number(c).rightJustified(4, QLatin1Char('0'))));
            benchmark::RegisterBenchmark(("Grouping/" + t->name).toStdString().c_str(), Grouping, t.get(), clients, labels.get())
                ->Threads(clients)
                ->Iterations(GroupingsPerClient - 1)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond);
            preparedLabels.push_back(std::move(labels));
        }
        benchmark::RegisterBenchmark(("LargeSplit45000Labels/" + t->name).toStdString().c_str(), LargeSplit, t.get())
            ->Iterations(1)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    }
    benchsupport::InitializeInterleaved(argc, argv);
    benchsupport::BestTimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    targets.clear();
    using benchsupport::PerSecond;
    using benchsupport::Ratio;
    std::fflush(stdout);
    std::printf("pg_getproduto_vs_query=%.3f\n",
                Ratio(reporter.WallOf("GetProduto500InProcess/PostgreSQL"), reporter.WallOf("GetProduto500Query/PostgreSQL")));
    std::printf("getproduto_vs_query=%.3f sqlite_calls_per_s=%.1f pg_calls_per_s=%.1f\n",
                Ratio(reporter.CpuOf("GetProduto500InProcess/SQLite"), reporter.CpuOf("GetProduto500Query/SQLite")),
                PerSecond(reporter.WallOf("GetProduto500Labels/SQLite")), PerSecond(reporter.WallOf("GetProduto500Labels/PostgreSQL")));
    return 0;
}
