// The wire as a client meets it: raw HTTP requests to a running est99000-server process. Every
// error case answers with its status and JSON-RPC error, and the server goes on serving.

#include "httpcall.h"
#include "servertestkit.h"

#include "host/serverprocess/serverprocess.h"

#include <QThread>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

namespace {

QByteArray ValidCall()
{
    return RequestBody(QStringLiteral("GetProduto"), {Str(QStringLiteral("0001")), Str(QStringLiteral("0000000001"))}, 7);
}

void ExpectStillServingOn(int port)
{
    const THttpReply r = HttpPost(port, ValidCall());
    EXPECT_EQ(r.status, 200);
    EXPECT_TRUE(r.json.contains(QStringLiteral("result"))) << r.body.toStdString();
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
    static void ExpectStillServing(int port) { ExpectStillServingOn(port); }

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
        // A NUL byte would cut the text short in the database: refused before it gets there.
        {"{\"jsonrpc\": \"2.0\", \"id\": 1, \"method\": \"GetProduto\", \"params\": [{\"type\": \"string\", \"value\":"
         " \"0001\\u0000' OR '1'='1\"}, {\"type\": \"string\", \"value\": \"0000000001\"}]}", -32602},
    };
    for (const TCase& c : cases) {
        const THttpReply r = Post(QByteArray(c.body));
        EXPECT_EQ(r.status, 200) << c.body;
        EXPECT_EQ(ErrorCode(r), c.code) << c.body << " -> " << r.body.toStdString();
        EXPECT_FALSE(ErrorMessage(r).isEmpty()) << c.body;
        EXPECT_FALSE(ErrorMessage(r).contains(QLatin1String("SELECT"))) << c.body;
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

// Requests no client of the module sends, each answered at once with its status (the body never
// read past the limit, however framed), and the server serving on.
TEST_F(Conformance, AbusiveRequestsAreAnsweredAtOnceWithTheirStatus)
{
    const std::string head = "POST /Est99000.rdmConsDesEtiq HTTP/1.1\r\nHost: teste\r\n";
    std::string chunks;
    for (int i = 0; i < 40; ++i)
        chunks += "1000\r\n" + std::string(0x1000, 'x') + "\r\n";
    const std::string call = ValidCall().toStdString();
    char size[16];
    std::snprintf(size, sizeof size, "%zx", call.size());
    struct TCase {
        const char* name;
        std::string request;
        int status;
    };
    const TCase cases[] = {
        {"corpo em pedaços acima do limite",
         head + "Content-Type: application/json\r\nTransfer-Encoding: chunked\r\n\r\n" + chunks, 413},
        {"tamanho declarado acima do limite, corpo não enviado",
         head + "Content-Type: application/json\r\nContent-Length: 10000000\r\n\r\n", 413},
        {"formulário", head + "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 3\r\n\r\na=1", 415},
        {"multipart", head + "Content-Type: multipart/form-data; boundary=xx\r\nContent-Length: 9\r\n\r\n--xx--\r\n\r\n", 415},
        {"texto", head + "Content-Type: text/plain\r\nContent-Length: 2\r\n\r\n{}", 415},
        {"comprimido", head + "Content-Type: application/json\r\nContent-Encoding: gzip\r\nContent-Length: 2\r\n\r\n{}", 415},
        {"chamada válida em pedaços",
         head + "Content-Type: application/json\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n" + size + "\r\n" +
             call + "\r\n0\r\n\r\n", 200},
    };
    for (const TCase& c : cases) {
        TRawConnection connection(server_->Port());
        connection.Send(c.request);
        const std::string reply = connection.ReadAll();
        EXPECT_EQ(RawStatus(reply), c.status) << c.name << ": " << reply.substr(0, 300);
        EXPECT_NE(reply.find("\"jsonrpc\":\"2.0\""), std::string::npos) << c.name;
    }
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

// Connections that trickle their request, send half a body or stay idle are cut off at their
// deadlines and never stop the one worker from answering everyone else.
TEST(ServerProcess, SlowAndIdleConnectionsDoNotHoldTheServer)
{
    QTemporaryDir dir;
    TServerProcess server;
    ASSERT_TRUE(server.Start({QStringLiteral("--database"), dir.filePath(QStringLiteral("est.db")), QStringLiteral("--init-demo"),
                              QStringLiteral("--threads"), QStringLiteral("1"), QStringLiteral("--max-connections"),
                              QStringLiteral("6"), QStringLiteral("--request-timeout"), QStringLiteral("2"),
                              QStringLiteral("--keep-alive"), QStringLiteral("1")}))
        << server.Error().toStdString();
    const std::string head = "POST /Est99000.rdmConsDesEtiq HTTP/1.1\r\nHost: teste\r\n";
    std::vector<std::unique_ptr<TRawConnection>> slow;
    for (const std::string& start : {head, head, std::string(), head + "Content-Length: 1000\r\n\r\n{\"jsonrpc\""}) {
        slow.push_back(std::make_unique<TRawConnection>(server.Port()));
        slow.back()->Send(start);
    }
    // One of them keeps trickling a byte at a time, each well within any per-read time-out.
    std::atomic<bool> trickleCut = false;
    std::thread trickler([&] {
        for (int i = 0; i < 60 && !trickleCut; ++i)
            trickleCut = !slow[0]->Send("X") || slow[0]->ClosedWithin(250);
    });
    const THttpReply r = HttpPost(server.Port(), ValidCall());
    EXPECT_EQ(r.status, 200);
    EXPECT_TRUE(r.json.contains(QStringLiteral("result")));
    trickler.join();
    EXPECT_TRUE(trickleCut);
    for (size_t i = 1; i < slow.size(); ++i)
        EXPECT_TRUE(slow[i]->ClosedWithin(15000)) << "conexão " << i;

    // A kept-alive connection left idle is closed after its reply.
    TRawConnection idle(server.Port());
    const std::string call = ValidCall().toStdString();
    idle.Send(head + "Content-Type: application/json\r\nContent-Length: " + std::to_string(call.size()) + "\r\n\r\n" + call);
    EXPECT_EQ(RawStatus(idle.ReadAll(15)), 200);
}

// SIGTERM while requests wait behind a busy connection: every one is still answered.
TEST(ServerProcess, SigtermAnswersEveryRequestAlreadyAccepted)
{
    QTemporaryDir dir;
    TServerProcess server;
    ASSERT_TRUE(server.Start({QStringLiteral("--database"), dir.filePath(QStringLiteral("est.db")), QStringLiteral("--init-demo"),
                              QStringLiteral("--threads"), QStringLiteral("1"), QStringLiteral("--max-connections"),
                              QStringLiteral("1"), QStringLiteral("--request-timeout"), QStringLiteral("3")}))
        << server.Error().toStdString();
    TRawConnection busy(server.Port());
    busy.Send("POST /Est99000.rdmConsDesEtiq HTTP/1.1\r\n");
    const std::string call = ValidCall().toStdString();
    std::vector<std::unique_ptr<TRawConnection>> waiting;
    for (int i = 0; i < 4; ++i) {
        waiting.push_back(std::make_unique<TRawConnection>(server.Port()));
        waiting.back()->Send("POST /Est99000.rdmConsDesEtiq HTTP/1.1\r\nHost: teste\r\nContent-Type: application/json\r\n"
                             "Content-Length: " + std::to_string(call.size()) + "\r\n\r\n" + call);
    }
    QThread::msleep(300);   // the requests are on their way before the signal
    int code = -2;
    std::thread stopper([&] { code = server.Stop(20000); });
    for (auto& w : waiting)
        EXPECT_EQ(RawStatus(w->ReadAll(20)), 200);
    stopper.join();
    EXPECT_EQ(code, 0);
}

TEST(ServerProcess, ASecondServerOnAPortInUseRefusesToStart)
{
    QTemporaryDir dir;
    TServerProcess first, second;
    ASSERT_TRUE(first.Start({QStringLiteral("--database"), dir.filePath(QStringLiteral("a.db"))})) << first.Error().toStdString();
    EXPECT_FALSE(second.Start({QStringLiteral("--database"), dir.filePath(QStringLiteral("b.db")), QStringLiteral("--port"),
                               QString::number(first.Port())}, QString(), 20000));
    EXPECT_TRUE(second.Error().contains(QStringLiteral("já está em uso"))) << second.Error().toStdString();
    ExpectStillServingOn(first.Port());
}

TEST(ServerProcess, BadOptionsStopWithAMessage)
{
    TServerProcess server;
    EXPECT_FALSE(server.Start({QStringLiteral("--porta"), QStringLiteral("1")}, QString(), 10000));
    EXPECT_TRUE(server.Error().contains(QStringLiteral("Opção desconhecida"))) << server.Error().toStdString();
}

} // namespace
