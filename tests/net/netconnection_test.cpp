// The application-server connection against a small HTTP server started in the test on a
// loopback port chosen at run time. The server answers whatever each test scripts.

#include "platform/errors.h"
#include "platform/netconnection.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <httplib.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace {

struct SeenRequest {
    std::string path;
    std::string authorization;
    std::string contentType;
    QJsonObject body;
};

// Answers POSTs with the scripted handler and records what it received.
class ScriptedServer {
public:
    using Script = std::function<void(const QJsonObject& request, httplib::Response&)>;

    explicit ScriptedServer(int port = 0) { Start(port); }
    ~ScriptedServer() { Stop(); }

    int Port() const { return port_; }

    void Start(int port)
    {
        server_ = std::make_unique<httplib::Server>();
        server_->Post(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) { Handle(req, res); });
        if (port == 0) {
            port_ = server_->bind_to_any_port("127.0.0.1");
        } else {
            ASSERT_TRUE(server_->bind_to_port("127.0.0.1", port));
            port_ = port;
        }
        ASSERT_GT(port_, 0);
        thread_ = std::thread([this] { server_->listen_after_bind(); });
        // stop() only ends a server that is already running.
        while (!server_->is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    void Stop()
    {
        if (!server_)
            return;
        server_->stop();
        thread_.join();
        server_.reset();
    }

    void SetScript(Script script)
    {
        std::lock_guard lock(mutex_);
        script_ = std::move(script);
    }

    std::vector<SeenRequest> Seen() const
    {
        std::lock_guard lock(mutex_);
        return seen_;
    }

    // A JSON-RPC result echoing the request's id.
    static void Reply(httplib::Response& res, const QJsonObject& request, const QJsonObject& result)
    {
        const QJsonObject reply{{"jsonrpc", "2.0"}, {"id", request.value("id")}, {"result", result}};
        res.set_content(QJsonDocument(reply).toJson().toStdString(), "application/json");
    }

private:
    void Handle(const httplib::Request& req, httplib::Response& res)
    {
        const QJsonObject body = QJsonDocument::fromJson(QByteArray::fromStdString(req.body)).object();
        Script script;
        {
            std::lock_guard lock(mutex_);
            seen_.push_back({req.path, req.get_header_value("Authorization"), req.get_header_value("Content-Type"), body});
            script = script_;
        }
        if (script)
            script(body, res);
        else
            Reply(res, body, {{"value", QJsonObject{{"type", "null"}}}});
    }

    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    mutable std::mutex mutex_;
    Script script_;
    std::vector<SeenRequest> seen_;
};

// A listener that accepts one connection, reads the request and hangs up without answering.
class HangingUpListener {
public:
    HangingUpListener()
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd_, 1) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] {
            const int client = ::accept(fd_, nullptr, nullptr);
            if (client < 0)
                return;
            char buffer[4096];
            [[maybe_unused]] const auto n = ::recv(client, buffer, sizeof buffer, 0);
            ::close(client);
        });
    }
    ~HangingUpListener()
    {
        if (thread_.joinable())
            thread_.join();
        ::close(fd_);
    }
    int Port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
    std::thread thread_;
};

class NetConnectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        connection.ServerName = "Est99000.rdmConsDesEtiq";
        connection.BeforeConnect = [this](TNetConnection* c) {
            ++beforeConnectRuns;
            c->Host = "127.0.0.1";
            c->Port = server.Port();
        };
        connection.ReadTimeoutMs = 5000;
    }

    template <typename E>
    QString MessageOf(const QString& method, QList<TVariant>& args)
    {
        try {
            connection.Call(method, args);
        } catch (const E& e) {
            return e.Message();
        }
        return QStringLiteral("<no error>");
    }

    QString CallError(QList<TVariant> args = {}) { return MessageOf<ENetConnectionError>("GetProduto", args); }

    ScriptedServer server;
    TNetConnection connection;
    int beforeConnectRuns = 0;
};

}   // namespace

TEST_F(NetConnectionTest, ACallPostsAJsonRpcRequestToTheServerObjectAndReturnsTheValue)
{
    server.SetScript([](const QJsonObject& request, httplib::Response& res) {
        ScriptedServer::Reply(res, request,
                              {{"value", QJsonObject{{"type", "array"},
                                                     {"value", QJsonArray{QJsonObject{{"type", "string"}, {"value", "ok"}}}}}}});
    });
    QList<TVariant> args{TVariant::FromString("0001"), TVariant::FromString("0000000123")};
    const TVariant first = connection.Call("GetProduto", args);
    connection.Call("GetProduto", args);

    EXPECT_EQ(first[0].AsString(), "ok");
    const auto seen = server.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].path, "/Est99000.rdmConsDesEtiq");
    EXPECT_EQ(seen[0].contentType, "application/json");
    EXPECT_EQ(seen[0].authorization, "");
    EXPECT_EQ(seen[0].body.value("jsonrpc").toString(), "2.0");
    EXPECT_EQ(seen[0].body.value("method").toString(), "GetProduto");
    EXPECT_EQ(seen[0].body.value("params").toArray(),
              (QJsonArray{QJsonObject{{"type", "string"}, {"value", "0001"}},
                          QJsonObject{{"type", "string"}, {"value", "0000000123"}}}));
    EXPECT_EQ(seen[1].body.value("id").toInteger(), seen[0].body.value("id").toInteger() + 1);
}

TEST_F(NetConnectionTest, TextsPassedByReferenceReceiveWhatTheServerLeftInThem)
{
    server.SetScript([](const QJsonObject& request, httplib::Response& res) {
        ScriptedServer::Reply(res, request,
                              {{"value", QJsonObject{{"type", "string"}, {"value", ""}}},
                               {"byRef", QJsonObject{{"0", QJsonObject{{"type", "string"}, {"value", "_0001_"}}},
                                                     {"2", QJsonObject{{"type", "string"}, {"value", ""}}}}}});
    });
    QList<TVariant> args{TVariant::FromString("", true), TVariant::FromDate(46364.0), TVariant::FromString("T", true),
                         TVariant::FromString("x", true)};
    connection.Call("GetNFEtiqueta", args);

    EXPECT_EQ(args[0], TVariant::FromString("_0001_", true));
    EXPECT_EQ(args[1], TVariant::FromDate(46364.0));
    EXPECT_EQ(args[2], TVariant::FromString("", true));
    EXPECT_EQ(args[3], TVariant::FromString("x", true));
    const QJsonArray sent = server.Seen().at(0).body.value("params").toArray();
    EXPECT_TRUE(sent[0].toObject().value("byRef").toBool());
    EXPECT_FALSE(sent[1].toObject().contains("byRef"));
}

TEST_F(NetConnectionTest, TheAccessTokenTravelsAsABearerHeaderWhenSet)
{
    QList<TVariant> args;
    connection.AccessToken = "s3cr3t";
    connection.Call("GetProduto", args);
    EXPECT_EQ(server.Seen().at(0).authorization, "Bearer s3cr3t");
}

TEST_F(NetConnectionTest, ACallOnAClosedConnectionOpensItRunningBeforeConnectOncePerOpening)
{
    QList<TVariant> args;
    EXPECT_FALSE(connection.Connected());
    connection.Call("GetProduto", args);
    connection.Call("GetProduto", args);
    EXPECT_TRUE(connection.Connected());
    EXPECT_EQ(beforeConnectRuns, 1);

    connection.Close();
    EXPECT_FALSE(connection.Connected());
    connection.Open();
    EXPECT_EQ(beforeConnectRuns, 2);
    EXPECT_EQ(server.Seen().size(), 2u);   // opening sends nothing
}

TEST_F(NetConnectionTest, OpeningWithThrowExceptionReportsAnUnreachableServerAndStaysClosed)
{
    connection.ThrowException = true;
    connection.Open();
    EXPECT_TRUE(connection.Connected());
    connection.Close();

    const int port = server.Port();
    server.Stop();
    try {
        connection.Open();
        FAIL() << "the server is down";
    } catch (const ENetConnectionError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Não foi possível conectar ao servidor de aplicação em 127.0.0.1:%1.").arg(port));
    }
    EXPECT_FALSE(connection.Connected());
}

TEST_F(NetConnectionTest, AServerErrorCarriesItsCodeAndMessageAndIsNotRetried)
{
    server.SetScript([](const QJsonObject& request, httplib::Response& res) {
        const QJsonObject reply{{"jsonrpc", "2.0"},
                                {"id", request.value("id")},
                                {"error", QJsonObject{{"code", -32000}, {"message", "Nota fiscal não encontrada."}}}};
        res.set_content(QJsonDocument(reply).toJson().toStdString(), "application/json");
    });
    QList<TVariant> args{TVariant::FromString("a", true)};
    try {
        connection.Call("GetProduto", args);
        FAIL() << "the server refused the call";
    } catch (const EServerError& e) {
        EXPECT_EQ(e.Code(), -32000);
        EXPECT_EQ(e.Message(), "Nota fiscal não encontrada.");
    }
    EXPECT_EQ(args[0].AsString(), "a");
    EXPECT_EQ(server.Seen().size(), 1u);
}

TEST_F(NetConnectionTest, HttpErrorsWithoutAJsonRpcBodyAreReportedByStatus)
{
    server.SetScript([](const QJsonObject&, httplib::Response& res) {
        res.status = 500;
        res.set_content("Internal Server Error", "text/plain");
    });
    EXPECT_EQ(CallError(), "O servidor de aplicação respondeu com o erro HTTP 500.");

    server.SetScript([](const QJsonObject&, httplib::Response& res) { res.status = 401; });
    EXPECT_EQ(CallError(), "O servidor de aplicação recusou o acesso (HTTP 401). Verifique o token de acesso da sessão.");

    server.SetScript([](const QJsonObject&, httplib::Response& res) {
        res.status = 404;
        res.set_content(R"({"jsonrpc":"2.0","id":null,"error":{"code":-32601,"message":"Objeto desconhecido."}})",
                        "application/json");
    });
    QList<TVariant> args;
    EXPECT_EQ(MessageOf<EServerError>("GetProduto", args), "Objeto desconhecido.");
    EXPECT_EQ(server.Seen().size(), 3u);
}

TEST_F(NetConnectionTest, RepliesOutsideTheProtocolAreInvalidAndLeaveTheArgumentsAlone)
{
    const QString invalid = "Resposta inválida do servidor de aplicação.";
    const std::function<std::string(const QJsonObject&)> bodies[] = {
        [](const QJsonObject&) { return std::string("<html>ok</html>"); },
        [](const QJsonObject&) { return std::string("[1, 2]"); },
        [](const QJsonObject& r) { return "{\"jsonrpc\":\"1.0\",\"id\":" + std::to_string(r.value("id").toInteger()) + ",\"result\":{\"value\":{\"type\":\"null\"}}}"; },
        [](const QJsonObject& r) { return "{\"jsonrpc\":\"2.0\",\"id\":" + std::to_string(r.value("id").toInteger() + 1) + ",\"result\":{\"value\":{\"type\":\"null\"}}}"; },
        [](const QJsonObject& r) { return "{\"jsonrpc\":\"2.0\",\"id\":" + std::to_string(r.value("id").toInteger()) + ",\"result\":{}}"; },
        [](const QJsonObject& r) { return "{\"jsonrpc\":\"2.0\",\"id\":" + std::to_string(r.value("id").toInteger()) + ",\"error\":{\"code\":\"x\"}}"; },
    };
    for (const auto& body : bodies) {
        server.SetScript([&](const QJsonObject& request, httplib::Response& res) {
            res.set_content(body(request), "application/json");
        });
        QList<TVariant> args{TVariant::FromString("keep", true)};
        EXPECT_EQ(CallError(args), invalid);
    }
}

TEST_F(NetConnectionTest, ABadTaggedValueOrByRefEntryIsInvalidAndNothingIsWrittenBack)
{
    const QJsonObject badResults[] = {
        {{"value", QJsonObject{{"type", "money"}}}},
        {{"value", QJsonObject{{"type", "null"}}},
         {"byRef", QJsonObject{{"0", QJsonObject{{"type", "string"}, {"value", "new"}}},
                               {"1", QJsonObject{{"type", "string"}, {"value", "not by reference"}}}}}},
        {{"value", QJsonObject{{"type", "null"}}},
         {"byRef", QJsonObject{{"0", QJsonObject{{"type", "integer"}, {"value", 3}}}}}},
    };
    for (const QJsonObject& result : badResults) {
        server.SetScript([&](const QJsonObject& request, httplib::Response& res) { ScriptedServer::Reply(res, request, result); });
        QList<TVariant> args{TVariant::FromString("old", true), TVariant::FromString("by value")};
        EXPECT_TRUE(CallError(args).startsWith("Resposta inválida do servidor de aplicação."));
        EXPECT_EQ(args[0].AsString(), "old");
        EXPECT_EQ(args[1].AsString(), "by value");
    }
}

TEST_F(NetConnectionTest, AServerThatDoesNotAnswerInTimeIsReportedAsATimeOut)
{
    server.SetScript([](const QJsonObject& request, httplib::Response& res) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1200));
        ScriptedServer::Reply(res, request, {{"value", QJsonObject{{"type", "null"}}}});
    });
    connection.ReadTimeoutMs = 300;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(CallError(), "O servidor de aplicação não respondeu em 0,3 segundos.");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(1100));
    EXPECT_EQ(server.Seen().size(), 1u);
}

TEST_F(NetConnectionTest, TimeOutsOfZeroMeanTheDefaultsRatherThanNoWaitAtAll)
{
    server.SetScript([](const QJsonObject& request, httplib::Response& res) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ScriptedServer::Reply(res, request, {{"value", QJsonObject{{"type", "integer"}, {"value", 1}}}});
    });
    connection.ConnectTimeoutMs = 0;
    connection.ReadTimeoutMs = 0;
    QList<TVariant> args;
    EXPECT_EQ(connection.Call("GetProduto", args).AsInteger(), 1);
}

TEST_F(NetConnectionTest, AServerThatHangsUpIsNotMistakenForATimeOut)
{
    HangingUpListener listener;
    ASSERT_GT(listener.Port(), 0);
    connection.BeforeConnect = nullptr;
    connection.Host = "127.0.0.1";
    connection.Port = listener.Port();
    EXPECT_EQ(CallError(), QStringLiteral("A conexão com o servidor de aplicação em 127.0.0.1:%1 foi interrompida antes da resposta.")
                               .arg(listener.Port()));
}

TEST_F(NetConnectionTest, AServerErrorNotTiedToTheRequestStillShowsTheServersText)
{
    server.SetScript([](const QJsonObject&, httplib::Response& res) {
        res.set_content(R"({"jsonrpc":"2.0","id":null,"error":{"code":-32600,"message":"Requisição inválida."}})",
                        "application/json");
    });
    QList<TVariant> args;
    EXPECT_EQ(MessageOf<EServerError>("GetProduto", args), "Requisição inválida.");
}

TEST_F(NetConnectionTest, AStoppedServerIsReportedAndTheNextCallAfterItIsBackWorks)
{
    QList<TVariant> args;
    connection.Call("GetProduto", args);
    const int port = server.Port();

    server.Stop();
    EXPECT_EQ(CallError(), QStringLiteral("Não foi possível conectar ao servidor de aplicação em 127.0.0.1:%1.").arg(port));
    EXPECT_TRUE(connection.Connected());

    server.Start(port);
    server.SetScript([](const QJsonObject& request, httplib::Response& res) {
        ScriptedServer::Reply(res, request, {{"value", QJsonObject{{"type", "string"}, {"value", "de volta"}}}});
    });
    EXPECT_EQ(connection.Call("GetProduto", args).AsString(), "de volta");
}

TEST_F(NetConnectionTest, AConnectionWithoutAnAddressSaysSoWithoutCallingAnything)
{
    connection.BeforeConnect = nullptr;
    EXPECT_EQ(CallError(), "O endereço do servidor de aplicação não foi informado.");
    connection.Host = "127.0.0.1";
    connection.Port = 70000;
    EXPECT_EQ(CallError(), "A porta do servidor de aplicação (70000) não é válida.");
    EXPECT_TRUE(server.Seen().empty());
}
