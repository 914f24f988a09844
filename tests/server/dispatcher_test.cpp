// Requests that the dispatcher answers before any database work: what it names in the log line
// and in its error messages, whatever the request holds; and the bytes its reply writer gives.

#include "server/database.h"
#include "server/replywriter.h"
#include "server/rpcdispatcher.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

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


// The reply writer gives the bytes Qt's compact writer gives for the same values: the client has
// always read those. Numbers of every magnitude (weights with ten decimals among them) and texts
// with every character that JSON escapes, non-ASCII ones and bytes that are not UTF-8.
TEST(ReplyWriter, WritesNumbersAndTextsAsQtWritesThem)
{
    QJsonArray expected;
    TReplyWriter w;
    w.BeginArray();
    auto number = [&](double v) {
        expected.append(v);
        w.Number(v);
    };
    for (double v : {0.0, -0.0, 1.0, -1.0, 0.1, 0.5, 1e-4, 1e-5, 1e-7, 0.001, 123.4567890123, 12.3456789012,
                     9999999999.9999999999, 100000.0, 1e15, 1e16, 9007199254740992.0, 9007199254740994.0, 1e20, 1e21,
                     1.5e300, -3.25, 5e-324, 1.7976931348623157e308, 123456789012345678.0, 0.30000000000000004})
        number(v);
    std::mt19937_64 random(17);
    for (int i = 0; i < 20000; ++i) {
        const quint64 bits = random();
        double v = 0;
        std::memcpy(&v, &bits, sizeof v);
        if (std::isfinite(v))
            number(v);
        number(double(qint64(random() % 100000000000000000ULL)) / 1e10);   // ten decimals
        number(double(qint64(random() % 1000000)) / std::pow(10.0, double(random() % 12)));
    }
    QString every;
    for (char16_t c = 1; c < 0x80; ++c)
        every += QChar(c);
    every += QStringLiteral("ção ü € \u2028 \U0001F600");
    expected.append(every);
    w.Text(every);
    for (const char* text : {"plain ASCII \"quoted\" back\\slash /~\x7f", ""}) {
        expected.append(QString::fromLatin1(text));
        w.Text(std::string_view(text));
    }
    const QByteArray notUtf8("a\xff\xc3(b\xe2\x82", 7);
    expected.append(QString::fromUtf8(notUtf8));
    w.Text(std::string_view(notUtf8.constData(), size_t(notUtf8.size())));
    expected.append(QJsonObject{{QStringLiteral("z"), 1}, {QStringLiteral("a"), QJsonArray{true, QJsonValue::Null, 2.5}}});
    w.Json(expected.last());
    w.EndArray();
    const QByteArray qt = QJsonDocument(expected).toJson(QJsonDocument::Compact);
    const QByteArray ours = w.Take();
    ASSERT_EQ(ours.size(), qt.size());
    EXPECT_TRUE(ours == qt);
}

TEST(ReplyWriter, ErrorRepliesAreThoseQtWrote)
{
    for (const QJsonValue& id : {QJsonValue(QJsonValue::Null), QJsonValue(7), QJsonValue(1.5), QJsonValue(QStringLiteral("a\"b"))}) {
        const QJsonObject reply{{QStringLiteral("jsonrpc"), QStringLiteral("2.0")}, {QStringLiteral("id"), id},
                                {QStringLiteral("error"), QJsonObject{{QStringLiteral("code"), -32602},
                                                                      {QStringLiteral("message"), QStringLiteral("Não \"é\"\n")}}}};
        EXPECT_EQ(TRpcDispatcher::ErrorBody(id, -32602, QStringLiteral("Não \"é\"\n")),
                  QJsonDocument(reply).toJson(QJsonDocument::Compact));
    }
}

}  // namespace
