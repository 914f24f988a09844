#include "servertestkit.h"

#include "server/demodata.h"
#include "labels/packetlayouts.h"
#include "server/labelqueries.h"
#include "server/migrations.h"
#include "server/sqlstatement.h"
#include "support/pgcluster.h"

#include <QAtomicInt>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace {

// The test program's cluster: made on first use, stopped and deleted with its directory when the
// test program ends (the environment below), before the Qt application object goes away.
std::unique_ptr<TPgCluster>& ClusterSlot()
{
    static std::unique_ptr<TPgCluster> cluster;
    return cluster;
}

TPgCluster& Cluster()
{
    if (!ClusterSlot())
        ClusterSlot() = std::make_unique<TPgCluster>();
    return *ClusterSlot();
}

class TClusterEnvironment : public testing::Environment {
public:
    void TearDown() override { ClusterSlot().reset(); }
};
const auto* const registered = testing::AddGlobalTestEnvironment(new TClusterEnvironment);

QAtomicInt databaseCounter = 0;

QVariantList LabelRow(const QString& check, const TNewLabel* n, const QString& status, const QString& barcode)
{
    // IDCHECK CDFILIAL NRLANCTONF NRSEQITPROD NRSEQETIQ CDPRODUTO QTETIQPROD VRPESOETIQ QTTOTALPRODETIQ
    // IDSTATUSETIQ CDCODBARRAETIQ
    QVariantList row;
    row << (check.isEmpty() ? QVariant() : QVariant(check));
    if (n)
        row << n->branch << n->entry << n->item << n->sequence << QVariant() << n->quantity << n->weight << QVariant();
    else
        for (int i = 0; i < 8; ++i)
            row << QVariant();
    row << status << barcode;
    return row;
}

QString BarcodeOf(const TNewLabel& n)
{
    return n.barcode.isEmpty() ? n.branch + n.entry + n.item + n.sequence : n.barcode;
}

} // namespace

QString DbKindName(TDbKind kind)
{
    return kind == TDbKind::SQLite ? QStringLiteral("SQLite") : QStringLiteral("PostgreSQL");
}

TTestDatabase MakeTestDatabase(TDbKind kind, bool demo)
{
    (void)registered;
    TTestDatabase t;
    if (kind == TDbKind::SQLite) {
        t.dir = std::make_unique<QTemporaryDir>();
        t.connection = t.dir->filePath(QStringLiteral("est99000.db"));
    } else {
        if (!Cluster().Running() && !Cluster().Start()) {
            (Cluster().Missing() ? t.skipReason : t.error) = Cluster().Error();
            return t;
        }
        t.connection = Cluster().CreateDatabase(QStringLiteral("est_%1").arg(databaseCounter.fetchAndAddRelaxed(1)));
        if (t.connection.isEmpty()) {
            t.error = Cluster().Error();
            return t;
        }
    }
    try {
        t.database = std::make_unique<TDatabase>(TDatabaseConfig::FromText(t.connection, 2000));
        TMigrations::Apply(*t.database);
        if (demo)
            TDemoData::Fill(*t.database, 1);
    } catch (const Exception& e) {
        t.error = e.Message();
    }
    return t;
}

void StopTestCluster()
{
    Cluster().Stop();
}

bool StartTestCluster()
{
    return Cluster().Start();
}

QJsonObject Str(const QString& value, bool byRef)
{
    QJsonObject o{{QStringLiteral("type"), QStringLiteral("string")}, {QStringLiteral("value"), value}};
    if (byRef)
        o.insert(QStringLiteral("byRef"), true);
    return o;
}

QJsonObject Day(double dayNumber)
{
    return {{QStringLiteral("type"), QStringLiteral("date")}, {QStringLiteral("value"), dayNumber}};
}

QJsonObject PacketArg(const QJsonObject& packet)
{
    return {{QStringLiteral("type"), QStringLiteral("packet")}, {QStringLiteral("value"), packet}};
}

QJsonArray TSearch::Params() const
{
    return {Str(allBranches ? QString() : branches, true),
            Str(allBranches ? QStringLiteral("T") : QStringLiteral(" "), true),
            Str(allSuppliers ? QString() : suppliers, true),
            Str(allSuppliers ? QStringLiteral("T") : QStringLiteral(" "), true),
            Day(firstDay),
            Day(lastDay),
            Str(firstNumber, true),
            Str(lastNumber, true),
            Str(allDates ? QStringLiteral("T") : QStringLiteral(" "), true),
            Str(allNumbers ? QStringLiteral("T") : QString(), true),
            Str(barcode, true)};
}

TChangePacket GroupingPacket(const QStringList& inactivated, const TNewLabel& created)
{
    TChangePacket p;
    p.fields = LabelChangeFields();
    for (const QString& b : inactivated)
        p.changes << TChange{TChangeKind::Insert, {}, LabelRow(QString(), nullptr, QStringLiteral("I"), b)};
    p.changes << TChange{TChangeKind::Insert, {}, LabelRow(QStringLiteral("U"), &created, QStringLiteral("A"), BarcodeOf(created))};
    return p;
}

TChangePacket SplitPacket(const QString& source, const QList<TNewLabel>& created)
{
    TChangePacket p;
    p.fields = LabelChangeFields();
    for (const TNewLabel& n : created)
        p.changes << TChange{TChangeKind::Insert, {}, LabelRow(QStringLiteral("U"), &n, QStringLiteral("A"), BarcodeOf(n))};
    p.changes << TChange{TChangeKind::Insert, {}, LabelRow(QStringLiteral("U"), nullptr, QStringLiteral("I"), source)};
    return p;
}

QJsonArray SetEtiquetaParams(const TChangePacket& packet)
{
    return {PacketArg(ChangePacketToJson(packet))};
}

QByteArray RequestBody(const QString& method, const QJsonArray& params, int id)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
                                     {QStringLiteral("id"), id},
                                     {QStringLiteral("method"), method},
                                     {QStringLiteral("params"), params}})
        .toJson(QJsonDocument::Compact);
}

QString ReplyText(const QJsonObject& reply)
{
    if (reply.contains(QStringLiteral("error"))) {
        const QJsonObject e = reply.value(QStringLiteral("error")).toObject();
        return QStringLiteral("<erro %1: %2>").arg(e.value(QStringLiteral("code")).toInt()).arg(e.value(QStringLiteral("message")).toString());
    }
    return reply.value(QStringLiteral("result")).toObject().value(QStringLiteral("value")).toObject()
        .value(QStringLiteral("value")).toString();
}

QString DemoBarcode(int item, int seq)
{
    return QStringLiteral("00010000000001%1%2").arg(item, 4, 10, QLatin1Char('0')).arg(seq, 5, 10, QLatin1Char('0'));
}

void DatabaseTest::SetUp()
{
    db_ = MakeTestDatabase(GetParam());
    if (!db_.skipReason.isEmpty())
        GTEST_SKIP() << db_.skipReason.toStdString();
    ASSERT_TRUE(db_.error.isEmpty()) << db_.error.toStdString();
}

qint64 DatabaseTest::Count(const QString& sql)
{
    TSqlStatement q(db_.database->Connection(), sql);
    q.Exec();
    return q.Next() ? q.Value(0).toLongLong() : -1;
}

void DispatcherTest::SetUp()
{
    DatabaseTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
        return;
    dispatcher_ = std::make_unique<TRpcDispatcher>(*db_.database);
}

QJsonObject DispatcherTest::Call(const QString& method, const QJsonArray& params, const QString& clientAddress)
{
    return QJsonDocument::fromJson(dispatcher_->Handle(RequestBody(method, params), clientAddress).body).object();
}
