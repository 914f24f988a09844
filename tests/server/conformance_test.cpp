// The wire as a client meets it: raw HTTP requests to a running est99000-server process. Every
// error case answers with its status and JSON-RPC error, and the server goes on serving.

#include "httpcall.h"
#include "servertestkit.h"

#include "support/serverprocess.h"

#include <QThread>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <gtest/gtest.h>

namespace {

QByteArray ValidCall()
{
    return RequestBody(QStringLiteral("GetProduto"), {Str(QStringLiteral("0001")), Str(QStringLiteral("0000000001"))}, 7);
}

int ErrorCode(const THttpReply& r)
{
    return r.json.value(QStringLiteral("error")).toObject().value(QStringLiteral("code")).toInt();
}

QString ErrorMessage(const THttpReply& r)
{
    return r.json.value(QStringLiteral("error")).toObject().value(QStringLiteral("message")).toString();
}

class Conformance : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new QTemporaryDir;
        QFile token(dir_->filePath(QStringLiteral("token")));
        token.open(QIODevice::WriteOnly);
        token.write("segredo-do-teste\n");
        token.close();
        server_ = new TServerProcess;
        ASSERT_TRUE(server_->Start({QStringLiteral("--database"), dir_->filePath(QStringLiteral("est.db")),
                                    QStringLiteral("--init-demo"), QStringLiteral("--max-request-bytes"),
                                    QStringLiteral("20000")}))
            << server_->Error().toStdString();
        secured_ = new TServerProcess;
        ASSERT_TRUE(secured_->Start({QStringLiteral("--database"), dir_->filePath(QStringLiteral("est.db")),
                                     QStringLiteral("--token-file"), dir_->filePath(QStringLiteral("token"))}))
            << secured_->Error().toStdString();
    }
    static void TearDownTestSuite()
    {
        delete server_;
        delete secured_;
        delete dir_;
    }

    // After any error the same server still answers a normal call.
    static void ExpectStillServing(int port)
    {
        const THttpReply r = HttpPost(port, ValidCall());
        EXPECT_EQ(r.status, 200);
        EXPECT_TRUE(r.json.contains(QStringLiteral("result"))) << r.body.toStdString();
    }

    static THttpReply Post(const QByteArray& body) { return HttpPost(server_->Port(), body); }

    static inline QTemporaryDir* dir_ = nullptr;
    static inline TServerProcess* server_ = nullptr;
    static inline TServerProcess* secured_ = nullptr;
};

TEST_F(Conformance, AValidCallAnswersItsIdWithValueAndByRef)
{
    const THttpReply r = Post(RequestBody(QStringLiteral("GetProduto"),
                                          {Str(QStringLiteral("0001")), Str(QStringLiteral("0000000001"))}, 7));
    ASSERT_EQ(r.status, 200);
    EXPECT_NE(r.contentType.find("application/json"), std::string::npos);
    EXPECT_EQ(r.json.value(QStringLiteral("jsonrpc")).toString(), QStringLiteral("2.0"));
    EXPECT_EQ(r.json.value(QStringLiteral("id")).toInt(), 7);
    const QJsonObject result = r.json.value(QStringLiteral("result")).toObject();
    EXPECT_EQ(result.value(QStringLiteral("value")).toObject().value(QStringLiteral("type")).toString(), QStringLiteral("array"));
    EXPECT_TRUE(result.value(QStringLiteral("byRef")).isObject());

    // A text id comes back as text.
    QJsonObject request = QJsonDocument::fromJson(ValidCall()).object();
    request.insert(QStringLiteral("id"), QStringLiteral("abc-1"));
    EXPECT_EQ(Post(QJsonDocument(request).toJson()).json.value(QStringLiteral("id")).toString(), QStringLiteral("abc-1"));
}

TEST_F(Conformance, MalformedRequestsAnswerTheirJsonRpcErrorsAndTheServerKeepsServing)
{
    struct TCase {
        const char* body;
        int code;
    };
    const TCase cases[] = {
        {"{\"jsonrpc\": \"2.0\", \"id\": 1, \"method\": ", -32700},
        {"não é json", -32700},
        {"", -32700},
        {"[1, 2]", -32600},
        {"\"GetProduto\"", -32600},
        {"{\"id\": 1, \"method\": \"GetProduto\", \"params\": []}", -32600},
        {"{\"jsonrpc\": \"1.0\", \"id\": 1, \"method\": \"GetProduto\", \"params\": []}", -32600},
        {"{\"jsonrpc\": \"2.0\", \"id\": 1, \"params\": []}", -32600},
        {"{\"jsonrpc\": \"2.0\", \"id\": 1, \"method\": 12, \"params\": []}", -32600},
        {"{\"jsonrpc\": \"2.0\", \"id\": {}, \"method\": \"GetProduto\", \"params\": []}", -32600},
        {"{\"jsonrpc\": \"2.0\", \"method\": \"GetProduto\", \"params\": []}", -32600},
        {"{\"jsonrpc\": \"2.0\", \"id\": 1, \"method\": \"GetProduto\", \"params\": \"x\"}", -32600},
        {"{\"jsonrpc\": \"2.0\", \"id\": 1, \"method\": \"ApagaTudo\", \"params\": []}", -32601},
        {"{\"jsonrpc\": \"2.0\", \"id\": 1, \"method\": \"getproduto\", \"params\": []}", -32601},
        {"{\"jsonrpc\": \"2.0\", \"id\": 1, \"method\": \"GetProduto\", \"params\": []}", -32602},
        {"{\"jsonrpc\": \"2.0\", \"id\": 1, \"method\": \"GetProduto\", \"params\": {\"a\": 1}}", -32602},
        {"{\"jsonrpc\": \"2.0\", \"id\": 1, \"method\": \"GetProduto\", \"params\": [1, 2]}", -32602},
        {"{\"jsonrpc\": \"2.0\", \"id\": 1, \"method\": \"GetProduto\", \"params\": [{\"type\": \"string\", \"value\": 1},"
         " {\"type\": \"string\", \"value\": \"1\"}]}", -32602},
        {"{\"jsonrpc\": \"2.0\", \"id\": 1, \"method\": \"setEtiqueta\", \"params\": [{\"type\": \"packet\", \"value\":"
         " {\"fields\": [{\"name\": \"X\", \"type\": \"blob\"}], \"changes\": []}}]}", -32602},
    };
    for (const TCase& c : cases) {
        const THttpReply r = Post(QByteArray(c.body));
        EXPECT_EQ(r.status, 200) << c.body;
        EXPECT_EQ(ErrorCode(r), c.code) << c.body << " -> " << r.body.toStdString();
        EXPECT_FALSE(ErrorMessage(r).isEmpty()) << c.body;
        EXPECT_FALSE(r.json.contains(QStringLiteral("result"))) << c.body;
    }
    ExpectStillServing(server_->Port());
}

TEST_F(Conformance, UnknownObjectPathAnswers404WithMethodNotFound)
{
    const THttpReply r = HttpPost(server_->Port(), ValidCall(), "/Est99000.rdmOutroObjeto");
    EXPECT_EQ(r.status, 404);
    EXPECT_EQ(ErrorCode(r), -32601);
    EXPECT_EQ(HttpPost(server_->Port(), ValidCall(), "/").status, 404);
    EXPECT_EQ(HttpGet(server_->Port(), "/Est99000.rdmConsDesEtiq").status, 405);
    ExpectStillServing(server_->Port());
}

TEST_F(Conformance, BodyOverTheSizeLimitAnswers413)
{
    const QByteArray big = RequestBody(QStringLiteral("GetProduto"),
                                       {Str(QString(30000, QLatin1Char('x'))), Str(QStringLiteral("1"))});
    const THttpReply r = Post(big);
    EXPECT_EQ(r.status, 413);
    ExpectStillServing(server_->Port());
}

TEST_F(Conformance, ServerWithATokenAnswers401WithoutTheRightBearer)
{
    const int port = secured_->Port();
    EXPECT_EQ(HttpPost(port, ValidCall()).status, 401);
    EXPECT_EQ(HttpPost(port, ValidCall(), "/Est99000.rdmConsDesEtiq", {{"Authorization", "Bearer errado"}}).status, 401);
    EXPECT_EQ(HttpPost(port, ValidCall(), "/Est99000.rdmConsDesEtiq", {{"Authorization", "segredo-do-teste"}}).status, 401);
    const THttpReply ok =
        HttpPost(port, ValidCall(), "/Est99000.rdmConsDesEtiq", {{"Authorization", "Bearer segredo-do-teste"}});
    EXPECT_EQ(ok.status, 200);
    EXPECT_TRUE(ok.json.contains(QStringLiteral("result")));
}

TEST_F(Conformance, RejectedChangeIsANormalResultNotAJsonRpcError)
{
    const TChangePacket p = GroupingPacket({DemoBarcode(2, 2), DemoBarcode(2, 3)}, TNewLabel{});
    const THttpReply r = Post(RequestBody(QStringLiteral("setEtiqueta"), SetEtiquetaParams(p)));
    EXPECT_EQ(r.status, 200);
    EXPECT_TRUE(ReplyText(r.json).startsWith(QLatin1String("Erro: "))) << r.body.toStdString();
}

TEST_F(Conformance, EveryCallLeavesOneLogLine)
{
    Post(RequestBody(QStringLiteral("GetProduto"), {Str(QStringLiteral("0001")), Str(QStringLiteral("0000000077"))}));
    Post(QByteArray("{"));
    // The server writes its log line after the reply has gone out: wait a little for both.
    QStringList lines;
    auto has = [&](const QString& a, const QString& b) {
        for (const QString& l : lines)
            if (l.contains(a) && l.contains(b) && l.contains(QLatin1String("127.0.0.1:")) && l.endsWith(QLatin1String(" ms")))
                return true;
        return false;
    };
    for (int i = 0; i < 100; ++i) {
        lines = server_->Log().split(QLatin1Char('\n'));
        if (has(QStringLiteral(" GetProduto ok "), QStringLiteral("T")) && has(QStringLiteral(" - erro -32700 "), QStringLiteral("T")))
            break;
        QThread::msleep(20);
    }
    EXPECT_TRUE(has(QStringLiteral(" GetProduto ok "), QStringLiteral("T"))) << server_->Log().toStdString();
    EXPECT_TRUE(has(QStringLiteral(" - erro -32700 "), QStringLiteral("T"))) << server_->Log().toStdString();
}

TEST(ServerProcess, FirstStartCreatesTheDatabaseInTheWorkingDirectoryAndSigtermStopsIt)
{
    QTemporaryDir dir;
    TServerProcess server;
    ASSERT_TRUE(server.Start({}, dir.path())) << server.Error().toStdString();
    ASSERT_TRUE(QFile::exists(dir.filePath(QStringLiteral("est99000.db"))));
    const QJsonObject reply = RpcCall(server.Port(), ValidCall());
    EXPECT_TRUE(reply.contains(QStringLiteral("result")));   // empty database, empty packets
    EXPECT_EQ(server.Stop(), 0);
    EXPECT_TRUE(server.Log().contains(QStringLiteral("servidor encerrado")));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check-created"));
        db.setDatabaseName(dir.filePath(QStringLiteral("est99000.db")));
        ASSERT_TRUE(db.open());
        QSqlQuery q(QStringLiteral("SELECT MAX(version) FROM schema_version"), db);
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toInt(), 3);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check-created"));
}

TEST(ServerProcess, BadOptionsStopWithAMessage)
{
    TServerProcess server;
    EXPECT_FALSE(server.Start({QStringLiteral("--porta"), QStringLiteral("1")}, QString(), 10000));
    EXPECT_TRUE(server.Error().contains(QStringLiteral("Opção desconhecida"))) << server.Error().toStdString();
}

} // namespace
