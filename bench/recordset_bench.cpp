// Record-set benchmarks: the printable-label walk of the query screen against the same logic on
// an in-memory SQLite database, its growth from 2,000 to 4,000 items, and decoding a 100,000-row
// label packet against Qt's JSON parser alone. The last line printed is
//   walk_vs_sqlite=A growth=B decode_vs_parse=C
// (goals: A <= 0.5, B <= 2.3, C <= 2), and the line before it gives the growth of the walk right
// after the labels are loaded again and the decoding ratio with the first move included.

#include "platform/clientdataset.h"
#include "platform/packet.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>

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
        s.AddField(f.name, f.type == TPacketFieldType::Float ? TFieldType::Float
                           : f.type == TPacketFieldType::FixedString ? TFieldType::FixedString : TFieldType::String,
                   f.width);
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

const QByteArray& LabelPacketBytes()
{
    static const QByteArray bytes = QJsonDocument(DataPacketToJson(LabelPacket(2000))).toJson(QJsonDocument::Compact);
    return bytes;
}

// Decoding: bytes to a loaded record set (rows checked and stored, change log clear). The set
// builds its sorted order on first navigation; the second variant also pays for that.
void DecodeLabelPacket(benchmark::State& state, bool navigate)
{
    const QByteArray& bytes = LabelPacketBytes();
    for (auto _ : state) {
        auto labels = std::make_unique<TClientDataSet>();
        DefineLabels(*labels);
        labels->LoadPacket(DataPacketFromJsonBytes(bytes));
        benchmark::DoNotOptimize(labels->RecordCount());
        if (navigate) {
            labels->First();
            benchmark::DoNotOptimize(labels->FieldByName("CDCODBARRAETIQ")->AsString());
        }
        state.PauseTiming();
        labels.reset();
        state.ResumeTiming();
    }
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

// Keeps, per benchmark, the lowest CPU time per iteration over its repetitions while printing as
// usual. CPU time, not wall time, and the lowest repetition: the build machine is shared, and
// waiting for a core or for a busy cache is not the code's cost.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0) {
                const std::string name = r.run_name.str();
                const double t = r.cpu_accumulated_time / double(r.iterations);
                if (!seconds.count(name) || t < seconds[name])
                    seconds[name] = t;
            }
        ConsoleReporter::ReportRuns(runs);
    }
    // The time of the run whose name is `name` or starts with `name` + "/".
    double Of(const std::string& name) const
    {
        for (const auto& [key, value] : seconds)
            if (key == name || key.rfind(name + "/", 0) == 0)
                return value;
        return 0.0;
    }
    std::map<std::string, double> seconds;
};

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // Repetitions of the different benchmarks run interleaved, so a burst of load on the shared
    // machine does not fall on one side of a ratio only.
    std::vector<char*> args(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    args.push_back(interleave.data());
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
    RecordingReporter reporter;
    // Decoding runs first, on a heap that the walks' screens (kept for their repetitions) have not
    // grown and scattered yet; then the walks. A filter given on the command line runs as given.
    const std::string filter = benchmark::GetBenchmarkFilter();
    if (filter.empty() || filter == "." || filter == "all") {
        benchmark::RunSpecifiedBenchmarks(&reporter, "^BM_(Decode|Parse)");
        benchmark::RunSpecifiedBenchmarks(&reporter, "^BM_LabelWalk");
    } else {
        benchmark::RunSpecifiedBenchmarks(&reporter);
    }
    benchmark::Shutdown();
    for (const auto& release : ScreenReleases())
        release();
    auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    const double walk2000 = reporter.Of("BM_LabelWalk/2000");
    const double walk4000 = reporter.Of("BM_LabelWalk/4000");
    const double loaded2000 = reporter.Of("BM_LabelWalkAfterLoad/2000");
    const double loaded4000 = reporter.Of("BM_LabelWalkAfterLoad/4000");
    const double sqlite2000 = reporter.Of("BM_LabelWalkSqlite/2000");
    const double decode = reporter.Of("BM_DecodeLabelPacket");
    const double decodeAndFirst = reporter.Of("BM_DecodeLabelPacketAndFirst");
    const double parse = reporter.Of("BM_ParseLabelPacketJson");
    std::fflush(stdout);
    std::printf("growth_after_load=%.3f decode_and_first_vs_parse=%.3f\n", ratio(loaded4000, loaded2000),
                ratio(decodeAndFirst, parse));
    std::printf("walk_vs_sqlite=%.3f growth=%.3f decode_vs_parse=%.3f\n", ratio(walk2000, sqlite2000), ratio(walk4000, walk2000),
                ratio(decode, parse));
    return 0;
}
