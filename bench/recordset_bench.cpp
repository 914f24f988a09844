// Record-set benchmarks: the printable-label walk of the query screen against the same logic on
// an in-memory SQLite database through its C API (and through QtSql, as a second figure) and
// written by hand over standard containers, its growth from 2,000 to 4,000 items, and decoding a
// 100,000-row label packet, first move included, against Qt's JSON parser and simdjson parsing
// the same bytes. The last line printed is
//   walk_vs_sqlite_c=A walk_vs_hand=B growth=C decode_vs_parse=D decode_vs_simdjson=E
// (goals: A <= 0.5, B <= 1.5, C <= 2.1, D <= 0.5, E <= 4), and the line before it gives the walk
// against QtSql, the growth of the walk right after the labels are loaded again, the decoding
// ratio without the first move and the growth of the SQLite and hand-written walks, which tell
// how much of the walk's own growth this machine's caches make.

#include "platform/clientdataset.h"
#include "platform/packet.h"

#include "benchsupport.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <simdjson.h>
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cstdio>
#include <functional>
#include <malloc.h>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

constexpr int kLabelsPerItem = 50;

QString Seq(int n, int width) { return QString::number(n).rightJustified(width, QLatin1Char('0')); }

QString Status(int label)
{
    // A fifth of the labels are inactive or reserved.
    if (label % 5 != 0)
        return QStringLiteral("A");
    return label % 10 == 0 ? QStringLiteral("I") : QStringLiteral("R");
}

QString Barcode(int item, int label) { return QStringLiteral("0001") + Seq(4711, 10) + Seq(item, 4) + Seq(label, 5); }

TDataPacket ItemPacket(int items)
{
    TDataPacket p;
    p.fields = {{"NRSEQITPROD", TPacketFieldType::String, 4}, {"NMPRODUTO", TPacketFieldType::String, 50},
                {"LOTESUBLOTE", TPacketFieldType::String, 25}, {"DTVALILOTE", TPacketFieldType::DateTime, 0},
                {"SGUNIDADE", TPacketFieldType::String, 10}, {"CDARVPROD", TPacketFieldType::String, 20}};
    const QDateTime validity(QDate(2027, 3, 1), QTime(0, 0));
    for (int i = 1; i <= items; ++i)
        p.rows.append({Seq(i, 4), QStringLiteral("PRODUTO %1").arg(i), QStringLiteral("L%1").arg(i), validity,
                       QStringLiteral("KG"), Seq(i, 8)});
    return p;
}

TDataPacket LabelPacket(int items)
{
    TDataPacket p;
    p.fields = {{"IDCHECK", TPacketFieldType::FixedString, 1}, {"CDFILIAL", TPacketFieldType::String, 4},
                {"NRLANCTONF", TPacketFieldType::String, 10}, {"NRSEQITPROD", TPacketFieldType::String, 4},
                {"NRSEQETIQ", TPacketFieldType::String, 20}, {"CDPRODUTO", TPacketFieldType::String, 10},
                {"QTETIQPROD", TPacketFieldType::Float, 0}, {"VRPESOETIQ", TPacketFieldType::Float, 0},
                {"QTTOTALPRODETIQ", TPacketFieldType::Float, 0}, {"IDSTATUSETIQ", TPacketFieldType::String, 1},
                {"CDCODBARRAETIQ", TPacketFieldType::String, 50}, {"NRPEDEXOL", TPacketFieldType::String, 20}};
    for (int i = 1; i <= items; ++i)
        for (int l = 1; l <= kLabelsPerItem; ++l)
            p.rows.append({QStringLiteral("U"), QStringLiteral("0001"), Seq(4711, 10), Seq(i, 4), Seq(l, 5), Seq(i, 8), 1.0,
                           0.25 * l, 50.0, Status(l), Barcode(i, l), QVariant()});
    return p;
}

void DefineLabels(TClientDataSet& s)
{
    const TDataPacket p = LabelPacket(0);
    for (const TPacketField& f : p.fields) {
        if (f.name == QLatin1String("NRPEDEXOL"))
            continue;  // the packet carries it, the set does not declare it
        s.AddField(f.name, FieldTypeOf(f.type), f.width);
    }
    s.AddIndex("cdsInsEtiquetaIndex1", "IDSTATUSETIQ;CDCODBARRAETIQ");
    s.SetIndexName("cdsInsEtiquetaIndex1");
}

// The query screen's three record sets, loaded once; each walk starts from an empty list.
struct Screen {
    TClientDataSet items, labels, printable;

    explicit Screen(int count)
    {
        items.LoadPacket(ItemPacket(count));
        DefineLabels(labels);
        labels.LoadPacket(LabelPacket(count));
        for (const auto& [name, type, width] : std::initializer_list<std::tuple<const char*, TFieldType, int>>{
                 {"IDCHECK", TFieldType::String, 1}, {"NMPRODUTO", TFieldType::String, 50},
                 {"LOTESUBLOTE", TFieldType::String, 25}, {"NRSEQITPROD", TFieldType::String, 4},
                 {"DTVALILOTE", TFieldType::DateTime, 0}, {"SGUNIDADE", TFieldType::String, 10},
                 {"NRNOTAFISC", TFieldType::String, 20}, {"CDSERIEENTR", TFieldType::String, 5},
                 {"VRPESOETIQ", TFieldType::Float, 0}, {"QTETIQPROD", TFieldType::Float, 0},
                 {"CDCODBARRAETIQ", TFieldType::String, 50}, {"CDARVPROD", TFieldType::String, 20}})
            printable.AddField(name, type, width);
        printable.AddIndex("cdsRelEtiquetasIndex1", "IDCHECK;VRPESOETIQ");
        printable.SetIndexName("cdsRelEtiquetasIndex1");
        printable.CreateDataSet();
        items.AfterScroll = [this](TClientDataSet*) {
            const QString filter = " NRSEQITPROD = '" + items.FieldByName("NRSEQITPROD")->AsString() + "'";
            for (TClientDataSet* s : {&labels, &printable}) {
                s->SetFiltered(false);
                s->SetFilter(filter);
                s->SetFiltered(true);
            }
        };
    }

    int Walk()
    {
        printable.EmptyDataSet();
        TField* status = labels.FieldByName("IDSTATUSETIQ");
        TField* barcode = labels.FieldByName("CDCODBARRAETIQ");
        TField* weight = labels.FieldByName("VRPESOETIQ");
        TField* quantity = labels.FieldByName("QTETIQPROD");
        const QStringList fromItem = {"NMPRODUTO", "LOTESUBLOTE", "DTVALILOTE", "NRSEQITPROD", "SGUNIDADE", "CDARVPROD"};
        QList<std::pair<TField*, TField*>> copied;
        for (const QString& f : fromItem)
            copied.append(std::make_pair(printable.FieldByName(f), items.FieldByName(f)));
        TField* mark = printable.FieldByName("IDCHECK");
        TField* invoice = printable.FieldByName("NRNOTAFISC");
        TField* series = printable.FieldByName("CDSERIEENTR");
        TField* newWeight = printable.FieldByName("VRPESOETIQ");
        TField* newQuantity = printable.FieldByName("QTETIQPROD");
        TField* newBarcode = printable.FieldByName("CDCODBARRAETIQ");
        const QString barcodeKey = QStringLiteral("CDCODBARRAETIQ");
        const QString active = QStringLiteral("A"), unmarked = QStringLiteral("U");
        const QString invoiceNumber = QStringLiteral("123456"), seriesNumber = QStringLiteral("1");
        items.First();
        labels.First();
        items.DisableControls();
        labels.DisableControls();
        while (!items.Eof()) {
            labels.First();
            while (!labels.Eof()) {
                if (status->AsString() == active &&
                    !printable.Locate(barcodeKey, {barcode->AsString()}, TLocateOption::CaseInsensitive)) {
                    printable.Append();
                    mark->SetAsString(unmarked);
                    for (const auto& [to, from] : copied)
                        to->SetValue(from->Value());
                    invoice->SetAsString(invoiceNumber);
                    series->SetAsString(seriesNumber);
                    newWeight->SetAsFloat(weight->AsFloat());
                    newQuantity->SetAsFloat(quantity->AsFloat());
                    newBarcode->SetAsString(barcode->AsString());
                    printable.Post();
                }
                labels.Next();
            }
            items.Next();
        }
        items.First();
        labels.First();
        items.EnableControls();
        labels.EnableControls();
        return printable.ChangeCount();
    }
};

// The same walk on SQLite: one query per item for its labels, one lookup and maybe one insert per
// active label, inside one transaction, with indexes on what the queries filter by.
struct SqliteScreen {
    QSqlDatabase db;
    std::unique_ptr<QSqlQuery> itemsQ, labelsQ, findQ, insertQ;

    explicit SqliteScreen(int count)
    {
        db = QSqlDatabase::addDatabase("QSQLITE", QStringLiteral("bench%1").arg(count));
        db.setDatabaseName(":memory:");
        if (!db.open())
            qFatal("sqlite: %s", qPrintable(db.lastError().text()));
        QSqlQuery q(db);
        q.exec("CREATE TABLE item (NRSEQITPROD TEXT, NMPRODUTO TEXT, LOTESUBLOTE TEXT, DTVALILOTE TEXT, SGUNIDADE TEXT, CDARVPROD TEXT)");
        q.exec("CREATE TABLE etiqueta (NRSEQITPROD TEXT, IDSTATUSETIQ TEXT, CDCODBARRAETIQ TEXT, VRPESOETIQ REAL, QTETIQPROD REAL)");
        q.exec("CREATE INDEX etiqueta_item ON etiqueta (NRSEQITPROD, IDSTATUSETIQ, CDCODBARRAETIQ)");
        q.exec("CREATE TABLE rel (IDCHECK TEXT, NMPRODUTO TEXT, LOTESUBLOTE TEXT, NRSEQITPROD TEXT, DTVALILOTE TEXT, SGUNIDADE TEXT,"
               " NRNOTAFISC TEXT, CDSERIEENTR TEXT, VRPESOETIQ REAL, QTETIQPROD REAL, CDCODBARRAETIQ TEXT, CDARVPROD TEXT)");
        q.exec("CREATE INDEX rel_barcode ON rel (CDCODBARRAETIQ COLLATE NOCASE, NRSEQITPROD)");
        db.transaction();
        QSqlQuery ins(db);
        ins.prepare("INSERT INTO item VALUES (?, ?, ?, ?, ?, ?)");
        for (const QVariantList& r : ItemPacket(count).rows) {
            for (int i = 0; i < r.size(); ++i)
                ins.bindValue(i, r[i].typeId() == QMetaType::QDateTime ? QVariant(r[i].toDateTime().toString(Qt::ISODate)) : r[i]);
            ins.exec();
        }
        ins.prepare("INSERT INTO etiqueta VALUES (?, ?, ?, ?, ?)");
        for (const QVariantList& r : LabelPacket(count).rows) {
            ins.bindValue(0, r[3]);
            ins.bindValue(1, r[9]);
            ins.bindValue(2, r[10]);
            ins.bindValue(3, r[7]);
            ins.bindValue(4, r[6]);
            ins.exec();
        }
        db.commit();
        itemsQ = std::make_unique<QSqlQuery>(db);
        labelsQ = std::make_unique<QSqlQuery>(db);
        findQ = std::make_unique<QSqlQuery>(db);
        insertQ = std::make_unique<QSqlQuery>(db);
        for (QSqlQuery* s : {itemsQ.get(), labelsQ.get(), findQ.get()})
            s->setForwardOnly(true);
        labelsQ->prepare("SELECT IDSTATUSETIQ, CDCODBARRAETIQ, VRPESOETIQ, QTETIQPROD FROM etiqueta WHERE NRSEQITPROD = ?"
                         " ORDER BY IDSTATUSETIQ, CDCODBARRAETIQ");
        findQ->prepare("SELECT 1 FROM rel WHERE CDCODBARRAETIQ = ? COLLATE NOCASE AND NRSEQITPROD = ?");
        insertQ->prepare("INSERT INTO rel VALUES ('U', ?, ?, ?, ?, ?, '123456', '1', ?, ?, ?, ?)");
    }

    ~SqliteScreen()
    {
        itemsQ.reset();
        labelsQ.reset();
        findQ.reset();
        insertQ.reset();
        const QString name = db.connectionName();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
    }

    int Walk()
    {
        db.transaction();
        QSqlQuery(db).exec("DELETE FROM rel");
        itemsQ->exec("SELECT NRSEQITPROD, NMPRODUTO, LOTESUBLOTE, DTVALILOTE, SGUNIDADE, CDARVPROD FROM item ORDER BY rowid");
        int added = 0;
        while (itemsQ->next()) {
            const QVariant item = itemsQ->value(0);
            labelsQ->bindValue(0, item);
            labelsQ->exec();
            while (labelsQ->next()) {
                if (labelsQ->value(0).toString() != QLatin1String("A"))
                    continue;
                const QVariant barcode = labelsQ->value(1);
                findQ->bindValue(0, barcode);
                findQ->bindValue(1, item);
                findQ->exec();
                const bool found = findQ->next();
                findQ->finish();
                if (found)
                    continue;
                insertQ->bindValue(0, itemsQ->value(1));
                insertQ->bindValue(1, itemsQ->value(2));
                insertQ->bindValue(2, item);
                insertQ->bindValue(3, itemsQ->value(3));
                insertQ->bindValue(4, itemsQ->value(4));
                insertQ->bindValue(5, labelsQ->value(2));
                insertQ->bindValue(6, labelsQ->value(3));
                insertQ->bindValue(7, barcode);
                insertQ->bindValue(8, itemsQ->value(5));
                insertQ->exec();
                ++added;
            }
        }
        db.commit();
        return added;
    }
};

// The same walk on SQLite through its C API: the schema, indexes, statements and transaction of
// SqliteScreen, without QtSql's values in between.
struct SqliteCScreen {
    sqlite3* db = nullptr;
    sqlite3_stmt *itemsQ = nullptr, *labelsQ = nullptr, *findQ = nullptr, *insertQ = nullptr;

    void Run(const char* sql)
    {
        char* error = nullptr;
        if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK)
            qFatal("sqlite: %s", error);
    }
    sqlite3_stmt* Prepare(const char* sql)
    {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK)
            qFatal("sqlite: %s", sqlite3_errmsg(db));
        return s;
    }
    static void BindText(sqlite3_stmt* s, int i, const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(s, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    // Copies column `from` of `source` into parameter `to` of `target`, as the value it is.
    static void BindColumn(sqlite3_stmt* target, int to, sqlite3_stmt* source, int from)
    {
        if (sqlite3_column_type(source, from) == SQLITE_FLOAT)
            sqlite3_bind_double(target, to, sqlite3_column_double(source, from));
        else
            sqlite3_bind_text(target, to, reinterpret_cast<const char*>(sqlite3_column_text(source, from)),
                              sqlite3_column_bytes(source, from), SQLITE_STATIC);
    }

    explicit SqliteCScreen(int count)
    {
        if (sqlite3_open(":memory:", &db) != SQLITE_OK)
            qFatal("sqlite: cannot open");
        Run("CREATE TABLE item (NRSEQITPROD TEXT, NMPRODUTO TEXT, LOTESUBLOTE TEXT, DTVALILOTE TEXT, SGUNIDADE TEXT, CDARVPROD TEXT)");
        Run("CREATE TABLE etiqueta (NRSEQITPROD TEXT, IDSTATUSETIQ TEXT, CDCODBARRAETIQ TEXT, VRPESOETIQ REAL, QTETIQPROD REAL)");
        Run("CREATE INDEX etiqueta_item ON etiqueta (NRSEQITPROD, IDSTATUSETIQ, CDCODBARRAETIQ)");
        Run("CREATE TABLE rel (IDCHECK TEXT, NMPRODUTO TEXT, LOTESUBLOTE TEXT, NRSEQITPROD TEXT, DTVALILOTE TEXT, SGUNIDADE TEXT,"
            " NRNOTAFISC TEXT, CDSERIEENTR TEXT, VRPESOETIQ REAL, QTETIQPROD REAL, CDCODBARRAETIQ TEXT, CDARVPROD TEXT)");
        Run("CREATE INDEX rel_barcode ON rel (CDCODBARRAETIQ COLLATE NOCASE, NRSEQITPROD)");
        Run("BEGIN");
        sqlite3_stmt* ins = Prepare("INSERT INTO item VALUES (?, ?, ?, ?, ?, ?)");
        for (const QVariantList& r : ItemPacket(count).rows) {
            for (int i = 0; i < r.size(); ++i)
                BindText(ins, i + 1, r[i].typeId() == QMetaType::QDateTime ? r[i].toDateTime().toString(Qt::ISODate) : r[i].toString());
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
        sqlite3_finalize(ins);
        ins = Prepare("INSERT INTO etiqueta VALUES (?, ?, ?, ?, ?)");
        for (const QVariantList& r : LabelPacket(count).rows) {
            BindText(ins, 1, r[3].toString());
            BindText(ins, 2, r[9].toString());
            BindText(ins, 3, r[10].toString());
            sqlite3_bind_double(ins, 4, r[7].toDouble());
            sqlite3_bind_double(ins, 5, r[6].toDouble());
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
        sqlite3_finalize(ins);
        Run("COMMIT");
        itemsQ = Prepare("SELECT NRSEQITPROD, NMPRODUTO, LOTESUBLOTE, DTVALILOTE, SGUNIDADE, CDARVPROD FROM item ORDER BY rowid");
        labelsQ = Prepare("SELECT IDSTATUSETIQ, CDCODBARRAETIQ, VRPESOETIQ, QTETIQPROD FROM etiqueta WHERE NRSEQITPROD = ?"
                          " ORDER BY IDSTATUSETIQ, CDCODBARRAETIQ");
        findQ = Prepare("SELECT 1 FROM rel WHERE CDCODBARRAETIQ = ? COLLATE NOCASE AND NRSEQITPROD = ?");
        insertQ = Prepare("INSERT INTO rel VALUES ('U', ?, ?, ?, ?, ?, '123456', '1', ?, ?, ?, ?)");
    }

    ~SqliteCScreen()
    {
        for (sqlite3_stmt* s : {itemsQ, labelsQ, findQ, insertQ})
            sqlite3_finalize(s);
        sqlite3_close(db);
    }

    int Walk()
    {
        Run("BEGIN");
        Run("DELETE FROM rel");
        int added = 0;
        while (sqlite3_step(itemsQ) == SQLITE_ROW) {
            BindColumn(labelsQ, 1, itemsQ, 0);
            while (sqlite3_step(labelsQ) == SQLITE_ROW) {
                const char* status = reinterpret_cast<const char*>(sqlite3_column_text(labelsQ, 0));
                if (!status || std::strcmp(status, "A") != 0)
                    continue;
                BindColumn(findQ, 1, labelsQ, 1);
                BindColumn(findQ, 2, itemsQ, 0);
                const bool found = sqlite3_step(findQ) == SQLITE_ROW;
                sqlite3_reset(findQ);
                if (found)
                    continue;
                BindColumn(insertQ, 1, itemsQ, 1);
                BindColumn(insertQ, 2, itemsQ, 2);
                BindColumn(insertQ, 3, itemsQ, 0);
                BindColumn(insertQ, 4, itemsQ, 3);
                BindColumn(insertQ, 5, itemsQ, 4);
                BindColumn(insertQ, 6, labelsQ, 2);
                BindColumn(insertQ, 7, labelsQ, 3);
                BindColumn(insertQ, 8, labelsQ, 1);
                BindColumn(insertQ, 9, itemsQ, 5);
                if (sqlite3_step(insertQ) != SQLITE_DONE)
                    qFatal("sqlite: %s", sqlite3_errmsg(db));
                sqlite3_reset(insertQ);
                ++added;
            }
            sqlite3_reset(labelsQ);
        }
        sqlite3_reset(itemsQ);
        Run("COMMIT");
        return added;
    }
};

// The same walk written by hand, without a record set: plain structs in vectors, each item's
// labels found through a multimap by item, the printable barcodes upper-cased in a set and the
// printable list's sort order (mark, weight) in an ordered multimap.
struct HandScreen {
    struct Item {
        std::string seq, name, lot, validity, unit, code;
    };
    struct Label {
        std::string item, status, barcode;
        double weight = 0, quantity = 0;
    };
    struct Printable {
        std::string mark, name, lot, item, validity, unit, invoice, series;
        double weight = 0, quantity = 0;
        std::string barcode, code;
    };
    std::vector<Item> items;
    std::vector<Label> labels;
    std::unordered_multimap<std::string, size_t> labelsOfItem;
    std::vector<Printable> printable;
    std::unordered_set<std::string> printableBarcodes;
    std::multimap<std::pair<std::string, double>, size_t> printableOrder;

    explicit HandScreen(int count)
    {
        for (const QVariantList& r : ItemPacket(count).rows)
            items.push_back({r[0].toString().toStdString(), r[1].toString().toStdString(), r[2].toString().toStdString(),
                             r[3].toDateTime().toString(Qt::ISODate).toStdString(), r[4].toString().toStdString(),
                             r[5].toString().toStdString()});
        for (const QVariantList& r : LabelPacket(count).rows) {
            labels.push_back({r[3].toString().toStdString(), r[9].toString().toStdString(), r[10].toString().toStdString(),
                              r[7].toDouble(), r[6].toDouble()});
            labelsOfItem.emplace(labels.back().item, labels.size() - 1);
        }
    }

    static std::string Upper(const std::string& text)
    {
        std::string out = text;
        for (char& c : out)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        return out;
    }

    int Walk()
    {
        printable.clear();
        printableBarcodes.clear();
        printableOrder.clear();
        for (const Item& item : items) {
            const auto [begin, end] = labelsOfItem.equal_range(item.seq);
            for (auto it = begin; it != end; ++it) {
                const Label& label = labels[it->second];
                if (label.status != "A" || !printableBarcodes.insert(Upper(label.barcode)).second)
                    continue;
                printable.push_back({"U", item.name, item.lot, item.seq, item.validity, item.unit, "123456", "1", label.weight,
                                     label.quantity, label.barcode, item.code});
                printableOrder.emplace(std::make_pair(printable.back().mark, label.weight), printable.size() - 1);
            }
        }
        return int(printable.size());
    }
};

// One screen per size, loaded and walked once before any timing: the screen repeats the walk on
// the sets it holds, and the first walk after a load also builds the labels' item index, a cost
// of the load. Kept across repetitions, so a repetition times walks only.
// Freed before the application object goes, as the SQLite connections need it.
std::vector<std::function<void()>>& ScreenReleases()
{
    static std::vector<std::function<void()>> releases;
    return releases;
}

template <typename T>
T& WarmScreen(int items)
{
    static std::map<int, std::unique_ptr<T>> screens;
    if (screens.empty())
        ScreenReleases().push_back([] { screens.clear(); });
    std::unique_ptr<T>& screen = screens[items];
    if (!screen) {
        screen = std::make_unique<T>(items);
        screen->Walk();
    }
    return *screen;
}

// Every repetition runs for at least a second, so the two sizes are timed over windows of the same
// length (two walks of 2,000 items against one of 4,000) and a burst of load on the shared machine
// weighs alike on both sides of the growth ratio.
void BM_LabelWalk(benchmark::State& state)
{
    Screen& screen = WarmScreen<Screen>(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(screen.Walk());
    state.counters["labels"] = double(screen.printable.ChangeCount());
}
BENCHMARK(BM_LabelWalk)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond)->MinTime(1.0)->Repetitions(7);

// The screen's own pattern: the labels arrive again from the server (loaded untimed), then the
// walk, which now also builds the labels' item index.
void BM_LabelWalkAfterLoad(benchmark::State& state)
{
    const int items = int(state.range(0));
    Screen& screen = WarmScreen<Screen>(items);
    static std::map<int, TDataPacket> packets;
    if (!packets.count(items))
        packets[items] = LabelPacket(items);
    for (auto _ : state) {
        state.PauseTiming();
        screen.labels.LoadPacket(packets[items]);
        state.ResumeTiming();
        benchmark::DoNotOptimize(screen.Walk());
    }
}
BENCHMARK(BM_LabelWalkAfterLoad)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond)->MinTime(1.0)->Repetitions(7);

void BM_LabelWalkSqlite(benchmark::State& state)
{
    SqliteScreen& screen = WarmScreen<SqliteScreen>(int(state.range(0)));
    int added = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(added = screen.Walk());
    state.counters["labels"] = double(added);
}
BENCHMARK(BM_LabelWalkSqlite)->Arg(2000)->Unit(benchmark::kMillisecond)->MinTime(1.0)->Repetitions(7);

void BM_LabelWalkSqliteC(benchmark::State& state)
{
    SqliteCScreen& screen = WarmScreen<SqliteCScreen>(int(state.range(0)));
    int added = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(added = screen.Walk());
    state.counters["labels"] = double(added);
}
BENCHMARK(BM_LabelWalkSqliteC)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond)->MinTime(1.0)->Repetitions(7);

void BM_LabelWalkHand(benchmark::State& state)
{
    HandScreen& screen = WarmScreen<HandScreen>(int(state.range(0)));
    int added = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(added = screen.Walk());
    state.counters["labels"] = double(added);
}
BENCHMARK(BM_LabelWalkHand)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond)->MinTime(1.0)->Repetitions(7);

const QByteArray& LabelPacketBytes()
{
    static const QByteArray bytes = QJsonDocument(DataPacketToJson(LabelPacket(2000))).toJson(QJsonDocument::Compact);
    return bytes;
}

// The heap in use, in bytes (small blocks and mapped ones).
size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Decoding: bytes to a loaded record set (rows checked and stored, change log clear). The set
// builds its sorted order on first navigation; the second variant also pays for that. The
// counter "set_MB" is the heap the loaded set holds.
void DecodeLabelPacket(benchmark::State& state, bool navigate)
{
    const QByteArray& bytes = LabelPacketBytes();
    auto load = [&bytes] {
        auto labels = std::make_unique<TClientDataSet>();
        DefineLabels(*labels);
        labels->LoadPacketBytes(bytes);
        return labels;
    };
    size_t held = 0;
    load();  // the reader's buffers, kept across loads, grow first
    {
        const size_t before = HeapInUse();
        const auto labels = load();
        held = HeapInUse() - before;
    }
    for (auto _ : state) {
        auto labels = load();
        benchmark::DoNotOptimize(labels->RecordCount());
        if (navigate) {
            labels->First();
            benchmark::DoNotOptimize(labels->FieldByName("CDCODBARRAETIQ")->AsString());
        }
        state.PauseTiming();
        labels.reset();
        state.ResumeTiming();
    }
    state.counters["set_MB"] = double(held) / 1e6;
}
void BM_DecodeLabelPacket(benchmark::State& state) { DecodeLabelPacket(state, false); }
void BM_DecodeLabelPacketAndFirst(benchmark::State& state) { DecodeLabelPacket(state, true); }
BENCHMARK(BM_DecodeLabelPacket)->Unit(benchmark::kMillisecond)->MinTime(1.0)->Repetitions(9);
BENCHMARK(BM_DecodeLabelPacketAndFirst)->Unit(benchmark::kMillisecond)->MinTime(1.0)->Repetitions(9);

void BM_ParseLabelPacketJson(benchmark::State& state)
{
    const QByteArray& bytes = LabelPacketBytes();
    for (auto _ : state) {
        // Decoding frees its document too, so the parse is timed with its document's release.
        QJsonDocument doc = QJsonDocument::fromJson(bytes);
        benchmark::DoNotOptimize(doc.isObject());
    }
}
BENCHMARK(BM_ParseLabelPacketJson)->Unit(benchmark::kMillisecond)->MinTime(1.0)->Repetitions(9);

// simdjson's full parse (its DOM, every value checked) of the same bytes, padded once beforehand,
// with one parser kept across iterations as a program that parses often would keep it.
void BM_ParseLabelPacketSimdjson(benchmark::State& state)
{
    const QByteArray& bytes = LabelPacketBytes();
    const simdjson::padded_string padded(bytes.constData(), size_t(bytes.size()));
    simdjson::dom::parser parser;
    for (auto _ : state) {
        simdjson::dom::element doc;
        if (parser.parse(padded).get(doc) != simdjson::SUCCESS || !doc.is_object()) {
            state.SkipWithError("simdjson refused the packet");
            break;
        }
        benchmark::DoNotOptimize(doc);
    }
}
BENCHMARK(BM_ParseLabelPacketSimdjson)->Unit(benchmark::kMillisecond)->MinTime(1.0)->Repetitions(9);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchsupport::InitializeInterleaved(argc, argv);
    benchsupport::BestTimeReporter reporter;
    // Decoding runs first, on a heap that the walks' screens (kept for their repetitions) have not
    // grown and scattered yet; then the walks. A filter given on the command line runs as given.
    // The two screens of the growth ratio are built before any walk, the smaller first, as they
    // are declared: a screen built after another walks up to a tenth slower (its rows land among
    // the other's freed packet), so leaving the order to the interleaving's random start moved
    // the ratio by about 0.35 from run to run.
    const std::string filter = benchmark::GetBenchmarkFilter();
    const bool all = filter.empty() || filter == "." || filter == "all";
    if (all)
        benchmark::RunSpecifiedBenchmarks(&reporter, "^BM_(Decode|Parse)");
    if (all || filter.find("LabelWalk") != std::string::npos) {
        WarmScreen<Screen>(2000);
        WarmScreen<Screen>(4000);
    }
    if (all) {
        // The comparators' growth is measured the same way.
        WarmScreen<SqliteCScreen>(2000);
        WarmScreen<SqliteCScreen>(4000);
        WarmScreen<HandScreen>(2000);
        WarmScreen<HandScreen>(4000);
    }
    if (all)
        benchmark::RunSpecifiedBenchmarks(&reporter, "^BM_LabelWalk");
    else
        benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    for (const auto& release : ScreenReleases())
        release();
    using benchsupport::Ratio;
    const double walk2000 = reporter.CpuOf("BM_LabelWalk/2000");
    const double walk4000 = reporter.CpuOf("BM_LabelWalk/4000");
    const double loaded2000 = reporter.CpuOf("BM_LabelWalkAfterLoad/2000");
    const double loaded4000 = reporter.CpuOf("BM_LabelWalkAfterLoad/4000");
    const double sqlite2000 = reporter.CpuOf("BM_LabelWalkSqlite/2000");
    const double sqliteC2000 = reporter.CpuOf("BM_LabelWalkSqliteC/2000");
    const double sqliteC4000 = reporter.CpuOf("BM_LabelWalkSqliteC/4000");
    const double hand2000 = reporter.CpuOf("BM_LabelWalkHand/2000");
    const double hand4000 = reporter.CpuOf("BM_LabelWalkHand/4000");
    const double simdjson = reporter.CpuOf("BM_ParseLabelPacketSimdjson");
    const double decode = reporter.CpuOf("BM_DecodeLabelPacket");
    const double decodeAndFirst = reporter.CpuOf("BM_DecodeLabelPacketAndFirst");
    const double parse = reporter.CpuOf("BM_ParseLabelPacketJson");
    std::fflush(stdout);
    std::printf("walk_vs_sqlite_qt=%.3f growth_after_load=%.3f decode_without_first_vs_parse=%.3f sqlite_c_growth=%.3f "
                "hand_growth=%.3f\n",
                Ratio(walk2000, sqlite2000), Ratio(loaded4000, loaded2000), Ratio(decode, parse), Ratio(sqliteC4000, sqliteC2000),
                Ratio(hand4000, hand2000));
    std::printf("walk_vs_sqlite_c=%.3f walk_vs_hand=%.3f growth=%.3f decode_vs_parse=%.3f decode_vs_simdjson=%.3f\n",
                Ratio(walk2000, sqliteC2000), Ratio(walk2000, hand2000), Ratio(walk4000, walk2000),
                Ratio(decodeAndFirst, parse), Ratio(decodeAndFirst, simdjson));
    return 0;
}
