// A database that is locked or gone behind a running server: the call answers -32000 with a
// message saying so, nothing changes, and the next call after the fault clears works.

#include "httpcall.h"
#include "servertestkit.h"

#include "host/serverprocess/serverprocess.h"

#include <QSqlDatabase>
#include <QSqlQuery>

#include <gtest/gtest.h>

namespace {

QByteArray Grouping(int first = 1)
{
    // Labels 1+2 or 3+4 of the demo invoice's first item (12.345, 11.87, 13.002, 12.5 kg).
    TNewLabel n;
    n.sequence = first == 1 ? QStringLiteral("00007") : QStringLiteral("00008");
    n.weight = first == 1 ? 12.345 + 11.87 : 13.002 + 12.5;
    return RequestBody(QStringLiteral("setEtiqueta"),
                       SetEtiquetaParams(GroupingPacket({DemoBarcode(1, first), DemoBarcode(1, first + 1)}, n)));
}

QByteArray Items()
{
    return RequestBody(QStringLiteral("GetProduto"), {Str(QStringLiteral("0001")), Str(QStringLiteral("0000000001"))});
}

TEST(DatabaseFault, LockedSqliteDatabaseAnswersUnavailableUntilTheLockGoes)
{
    TTestDatabase db = MakeTestDatabase(TDbKind::SQLite);
    ASSERT_TRUE(db.error.isEmpty()) << db.error.toStdString();
    db.database->Discard();
    TServerProcess server;
    ASSERT_TRUE(server.Start({QStringLiteral("--database"), db.connection, QStringLiteral("--busy-timeout"), QStringLiteral("300")}))
        << server.Error().toStdString();
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
        other.setDatabaseName(db.connection);
        ASSERT_TRUE(other.open());
        QSqlQuery lock(other);
        ASSERT_TRUE(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));

        const QJsonObject reply = RpcCall(server.Port(), Grouping());
        EXPECT_EQ(reply.value(QStringLiteral("error")).toObject().value(QStringLiteral("code")).toInt(), -32000);
        EXPECT_TRUE(ReplyText(reply).contains(QStringLiteral("Banco de dados indisponível: o banco de dados está bloqueado")))
            << ReplyText(reply).toStdString();

        ASSERT_TRUE(lock.exec(QStringLiteral("ROLLBACK")));
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("locker"));
    EXPECT_EQ(ReplyText(RpcCall(server.Port(), Grouping())), QString());
}

TEST(DatabaseFault, PostgresqlGoneAnswersUnavailableAndTheServerReconnectsWhenItIsBack)
{
    TTestDatabase db = MakeTestDatabase(TDbKind::PostgreSQL);
    if (!db.skipReason.isEmpty())
        GTEST_SKIP() << db.skipReason.toStdString();
    ASSERT_TRUE(db.error.isEmpty()) << db.error.toStdString();
    db.database->Discard();
    TServerProcess server;
    ASSERT_TRUE(server.Start({QStringLiteral("--database"), db.connection, QStringLiteral("--threads"), QStringLiteral("1")}))
        << server.Error().toStdString();
    ASSERT_TRUE(RpcCall(server.Port(), Items()).contains(QStringLiteral("result")));

    // Restarted between two calls: the read, and then a change, reconnect by themselves.
    StopTestCluster();
    ASSERT_TRUE(StartTestCluster());
    EXPECT_TRUE(RpcCall(server.Port(), Items()).contains(QStringLiteral("result")));
    StopTestCluster();
    ASSERT_TRUE(StartTestCluster());
    EXPECT_EQ(ReplyText(RpcCall(server.Port(), Grouping(3))), QString());

    StopTestCluster();
    for (const QByteArray& body : {Items(), Grouping()}) {
        const QJsonObject reply = RpcCall(server.Port(), body);
        EXPECT_EQ(reply.value(QStringLiteral("error")).toObject().value(QStringLiteral("code")).toInt(), -32000);
        EXPECT_TRUE(ReplyText(reply).contains(QStringLiteral("Banco de dados indisponível"))) << ReplyText(reply).toStdString();
    }

    ASSERT_TRUE(StartTestCluster());
    EXPECT_TRUE(RpcCall(server.Port(), Items()).contains(QStringLiteral("result")));
    EXPECT_EQ(ReplyText(RpcCall(server.Port(), Grouping())), QString());
}

} // namespace
