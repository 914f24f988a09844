// Requests that the dispatcher answers before any database work: what it names in the log line
// and in its error messages, whatever the request holds.

#include "server/database.h"
#include "server/rpcdispatcher.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class Dispatcher : public testing::Test {
protected:
    // The database is opened on its first use, which none of these requests reaches.
    QTemporaryDir dir_;
    TDatabase database_{TDatabaseConfig::FromText(dir_.filePath(QStringLiteral("est99000.db")))};
    TRpcDispatcher dispatcher_{database_};

    TRpcDispatcher::TReply CallMethod(const QString& method)
    {
        const QJsonObject request{{QStringLiteral("jsonrpc"), QStringLiteral("2.0")}, {QStringLiteral("id"), 5},
                                  {QStringLiteral("method"), method}, {QStringLiteral("params"), QJsonArray()}};
        return dispatcher_.Handle(QJsonDocument(request).toJson(QJsonDocument::Compact), QStringLiteral("127.0.0.1"));
    }

    static QString Message(const TRpcDispatcher::TReply& reply)
    {
        return QJsonDocument::fromJson(reply.body).object().value(QStringLiteral("error")).toObject()
            .value(QStringLiteral("message")).toString();
    }
};

TEST_F(Dispatcher, AnEmptyMethodNameIsLoggedAsADash)
{
    const TRpcDispatcher::TReply reply = CallMethod(QString());
    EXPECT_EQ(reply.method, QStringLiteral("-"));
    EXPECT_EQ(reply.outcome, QStringLiteral("erro -32601"));
    EXPECT_EQ(Message(reply), QStringLiteral("Método desconhecido: -."));
}

TEST_F(Dispatcher, AMethodNameCannotBreakOrForgeALogLine)
{
    const TRpcDispatcher::TReply reply =
        CallMethod(QStringLiteral("GetProduto ok 1.0 ms\n2026-12-08T10:15:02.114 127.0.0.1:1 setEtiqueta\tok"));
    EXPECT_EQ(reply.method, QStringLiteral("GetProduto?ok?1.0?ms?2026-12-08T10:15:02.114?127.0.0.1:1?setEtiq"));
    EXPECT_FALSE(Message(reply).contains(QLatin1Char('\n')));
    EXPECT_EQ(CallMethod(QStringLiteral("Apaga\u0000Tudo\u2028")).method, QStringLiteral("Apaga?Tudo?"));
    // A known method keeps its name.
    EXPECT_EQ(CallMethod(QStringLiteral("GetProduto")).method, QStringLiteral("GetProduto"));
}

}  // namespace
