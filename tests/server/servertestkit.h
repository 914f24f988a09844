#pragma once
// Shared pieces of the server tests: a fresh database of either kind (SQLite file in a temporary
// directory, or a new database in the test program's throwaway PostgreSQL cluster), tagged-value
// and change-packet builders, and a raw JSON-RPC call through the dispatcher or over HTTP.

#include "server/database.h"
#include "server/rpcdispatcher.h"

#include "platform/packet.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

enum class TDbKind { SQLite, PostgreSQL };
QString DbKindName(TDbKind kind);

struct TTestDatabase {
    std::unique_ptr<QTemporaryDir> dir;
    QString connection;                  // the --database text
    std::unique_ptr<TDatabase> database; // migrated, with demo data when asked
    QString skipReason;                  // set when PostgreSQL is not installed
    QString error;                       // set when the database could not be made
};

// Builds a migrated database (and fills demo data when `demo`); PostgreSQL databases live in one
// cluster started on first use and stopped when the test program ends.
TTestDatabase MakeTestDatabase(TDbKind kind, bool demo = true);
void StopTestCluster();                         // stops the shared cluster (data kept)
bool StartTestCluster();                        // starts it again on the same port

// Base of the test suites that run once per database kind: SetUp() makes a fresh database with
// demo data, skipping (and saying why) where PostgreSQL is not installed. Subclasses that add
// their own SetUp call this one first and return when IsSkipped() or HasFatalFailure().
class DatabaseTest : public testing::TestWithParam<TDbKind> {
protected:
    void SetUp() override;
    qint64 Count(const QString& sql);   // the first column of the first row of a query
    TTestDatabase db_;
};

// A database suite that calls the server object in-process, as a client at `clientAddress`.
class DispatcherTest : public DatabaseTest {
protected:
    void SetUp() override;
    QJsonObject Call(const QString& method, const QJsonArray& params,
                     const QString& clientAddress = QStringLiteral("127.0.0.1"));
    std::unique_ptr<TRpcDispatcher> dispatcher_;
};

// Tagged values as the client sends them.
QJsonObject Str(const QString& value, bool byRef = false);
QJsonObject Day(double dayNumber);
QJsonObject PacketArg(const QJsonObject& packet);

// The eleven GetNFEtiqueta arguments for branch and supplier lists, dates, numbers and barcode;
// an empty list with `all` set gives the "Todos" form.
struct TSearch {
    QString branches, suppliers;
    bool allBranches = false, allSuppliers = false;
    double firstDay = 0, lastDay = 0;
    bool allDates = true;
    QString firstNumber, lastNumber;
    bool allNumbers = true;
    QString barcode;
    QJsonArray Params() const;
};

// Label rows of change packets, in the label record sets' field order.
struct TNewLabel {
    QString branch = QStringLiteral("0001"), entry = QStringLiteral("0000000001"), item = QStringLiteral("0001");
    QString sequence;
    double weight = 0, quantity = 1;
    QString barcode;   // empty = branch + entry + item + sequence
};
TChangePacket GroupingPacket(const QStringList& inactivated, const TNewLabel& created);
TChangePacket SplitPacket(const QString& source, const QList<TNewLabel>& created);
QJsonArray SetEtiquetaParams(const TChangePacket& packet);

// One JSON-RPC request body and its parsed reply object.
QByteArray RequestBody(const QString& method, const QJsonArray& params, int id = 1);

// The text a setEtiqueta reply carries, or "<erro N: message>" for a JSON-RPC error.
QString ReplyText(const QJsonObject& reply);

// Barcode of label `seq` (1-based) of item `item` of the fixed demo invoice 0001/0000000001.
QString DemoBarcode(int item, int seq);
