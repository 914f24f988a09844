#include "appserver.h"

#include "platform/errors.h"

#include <httplib.h>

#include <QDateTime>
#include <QJsonValue>

#include <chrono>
#include <cstdio>
#include <mutex>

namespace {

const char* const JsonType = "application/json; charset=utf-8";

// What the handler of the current request learnt, for the log line the logger writes after the
// reply went out (both run on the same worker thread).
struct TCallInfo {
    std::chrono::steady_clock::time_point start;
    QString method = QStringLiteral("-");
    QString outcome;
};
thread_local TCallInfo currentCall;

std::mutex logMutex;

void SetError(httplib::Response& res, int status, int code, const QString& message)
{
    res.status = status;
    // The request body may still be unread: close the connection rather than read past it.
    res.set_header("Connection", "close");
    res.set_content(TRpcDispatcher::ErrorBody(QJsonValue::Null, code, message).toStdString(), JsonType);
    currentCall.outcome = QStringLiteral("HTTP %1").arg(status);
}

bool SameToken(const std::string& a, const std::string& b)
{
    // Compares every byte whatever the first difference, so the time taken tells nothing.
    unsigned char diff = a.size() == b.size() ? 0 : 1;
    for (size_t i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ (i < b.size() ? b[i] : 0));
    return diff == 0;
}

} // namespace

const char* const TAppServer::ObjectPath = "/Est99000.rdmConsDesEtiq";

TAppServer::TAppServer(TRpcDispatcher& dispatcher, TSettings settings)
    : dispatcher_(dispatcher), settings_(std::move(settings)), http_(std::make_unique<httplib::Server>())
{
    Install();
}

TAppServer::~TAppServer() = default;

void TAppServer::Install()
{
    const size_t threads = size_t(settings_.threads);
    http_->new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    http_->set_payload_max_length(size_t(settings_.maxRequestBytes));
    http_->set_keep_alive_max_count(1000);

    http_->set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        currentCall = TCallInfo{std::chrono::steady_clock::now(), QStringLiteral("-"), QString()};
        if (!settings_.token.isEmpty()) {
            const std::string expected = "Bearer " + settings_.token.toStdString();
            if (!SameToken(req.get_header_value("Authorization"), expected)) {
                res.set_header("WWW-Authenticate", "Bearer");
                SetError(res, 401, -32000, QStringLiteral("Acesso não autorizado: o token de acesso está ausente ou é inválido."));
                return httplib::Server::HandlerResponse::Handled;
            }
        }
        if (req.path != ObjectPath) {
            SetError(res, 404, -32601, QStringLiteral("Objeto de servidor desconhecido: %1.")
                                           .arg(QString::fromStdString(req.path).left(200)));
            return httplib::Server::HandlerResponse::Handled;
        }
        if (req.method != "POST") {
            res.set_header("Allow", "POST");
            SetError(res, 405, -32600, QStringLiteral("Use POST para chamar o objeto do servidor."));
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });

    http_->Post(ObjectPath, [this](const httplib::Request& req, httplib::Response& res) {
        const QString client = QString::fromStdString(req.remote_addr);
        const TRpcDispatcher::TReply reply =
            dispatcher_.Handle(QByteArray::fromStdString(req.body), client);
        currentCall.method = reply.method;
        currentCall.outcome = reply.outcome;
        res.status = 200;
        res.set_content(reply.body.toStdString(), JsonType);
    });

    // Errors httplib answers by itself (body over the limit, unreadable request) get a JSON-RPC body.
    http_->set_error_handler([](const httplib::Request&, httplib::Response& res) {
        if (!res.body.empty())
            return;
        if (res.status == 413)
            SetError(res, 413, -32600, QStringLiteral("A requisição excede o tamanho máximo aceito pelo servidor."));
        else
            SetError(res, res.status, -32600, QStringLiteral("Requisição HTTP inválida."));
    });

    http_->set_logger([this](const httplib::Request& req, const httplib::Response& res) {
        if (!settings_.log)
            return;
        const double ms = currentCall.start.time_since_epoch().count() == 0
                              ? 0.0
                              : std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - currentCall.start).count();
        const QString outcome = currentCall.outcome.isEmpty() ? QStringLiteral("HTTP %1").arg(res.status) : currentCall.outcome;
        const QString line = QStringLiteral("%1 %2:%3 %4 %5 %6 ms\n")
                                 .arg(QDateTime::currentDateTime().toString(Qt::ISODateWithMs),
                                      QString::fromStdString(req.remote_addr))
                                 .arg(req.remote_port)
                                 .arg(currentCall.method, outcome)
                                 .arg(ms, 0, 'f', 1);
        const QByteArray bytes = line.toUtf8();
        std::lock_guard<std::mutex> lock(logMutex);
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
        std::fflush(stderr);
        currentCall = TCallInfo{};
    });
}

int TAppServer::Bind()
{
    const std::string host = settings_.listenAddress.toStdString();
    if (settings_.port == 0) {
        const int port = http_->bind_to_any_port(host);
        if (port <= 0)
            throw Exception(QStringLiteral("Não foi possível escutar em %1.").arg(settings_.listenAddress));
        return port;
    }
    if (!http_->bind_to_port(host, settings_.port))
        throw Exception(QStringLiteral("Não foi possível escutar em %1:%2 (porta em uso ou endereço inválido).")
                            .arg(settings_.listenAddress)
                            .arg(settings_.port));
    return settings_.port;
}

void TAppServer::Run()
{
    http_->listen_after_bind();
}

void TAppServer::Stop()
{
    http_->stop();
}
