#include "appserver.h"

#include "platform/errors.h"

#include <httplib.h>

#include <QDateTime>
#include <QJsonValue>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
#include <mutex>

namespace {

using TClock = std::chrono::steady_clock;

const char* const JsonType = "application/json; charset=utf-8";

// What the handler of the current request learnt, for the log line the logger writes after the
// reply went out and for the connection loop (all run on the connection's thread).
struct TCallInfo {
    TClock::time_point start;
    QString method = QStringLiteral("-");
    QString outcome;
    bool close = false;   // the reply ends the connection (the request may not have been read)
};
thread_local TCallInfo currentCall;

std::mutex logMutex;

void SetError(httplib::Response& res, int status, int code, const QString& message)
{
    res.status = status;
    res.set_header("Connection", "close");
    res.set_content(TRpcDispatcher::ErrorBody(QJsonValue::Null, code, message).toStdString(), JsonType);
    currentCall.outcome = QStringLiteral("HTTP %1").arg(status);
    currentCall.close = true;
}

bool SameToken(const std::string& a, const std::string& b)
{
    // Compares every byte whatever the first difference, so the time taken tells nothing.
    unsigned char diff = a.size() == b.size() ? 0 : 1;
    for (size_t i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ (i < b.size() ? b[i] : 0));
    return diff == 0;
}

bool IsJsonType(const std::string& value)
{
    std::string type = value.substr(0, value.find(';'));
    while (!type.empty() && (type.back() == ' ' || type.back() == '\t'))
        type.pop_back();
    for (char& c : type)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return type == "application/json";
}

// Waits until the socket can be read (or written) or the deadline passes.
bool WaitFor(int sock, short events, TClock::time_point deadline)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
        pollfd p{sock, events, 0};
        const int n = ::poll(&p, 1, int(std::clamp<long long>(left, 0, 1000000)));
        if (n > 0)
            return true;
        if (n < 0 && errno != EINTR)
            return false;
        if (n == 0 && TClock::now() >= deadline)
            return false;
    }
}

void Address(const sockaddr_storage& a, std::string& ip, int& port)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (a.ss_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(&a);
        inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
        port = ntohs(v4->sin_port);
    } else if (a.ss_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&a);
        inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
        port = ntohs(v6->sin6_port);
    }
    ip = text;
}

// A connection's socket for httplib's request reader: every read of one request shares one
// deadline, and the writes of one reply another, so a client that trickles its request or
// reads its reply slowly is cut off instead of holding the connection's thread.
class TDeadlineStream : public httplib::Stream {
public:
    explicit TDeadlineStream(int sock) : sock_(sock) {}

    // The request line and headers may take at most this many bytes; the body is bounded by
    // the size limit as it is read.
    static constexpr size_t HeadBytes = 64 * 1024;

    void StartRequest(std::chrono::seconds timeout)
    {
        timeout_ = timeout;
        readBy_ = TClock::now() + timeout;
        writing_ = false;
        headRead_ = 0;
        inBody_ = false;
    }
    void BodyStarts() { inBody_ = true; }

    bool is_readable() const override { return WaitFor(sock_, POLLIN, readBy_); }
    bool is_writable() const override { return WaitFor(sock_, POLLOUT, writing_ ? writeBy_ : TClock::now() + timeout_); }

    ssize_t read(char* ptr, size_t size) override
    {
        if (!inBody_) {
            if (headRead_ >= HeadBytes)
                return -1;
            size = std::min(size, HeadBytes - headRead_);
        }
        if (!WaitFor(sock_, POLLIN, readBy_))
            return -1;
        ssize_t n;
        do
            n = ::recv(sock_, ptr, size, 0);
        while (n < 0 && errno == EINTR);
        if (n > 0 && !inBody_)
            headRead_ += size_t(n);
        return n;
    }

    ssize_t write(const char* ptr, size_t size) override
    {
        if (!writing_) {
            writing_ = true;
            writeBy_ = TClock::now() + timeout_;
        }
        if (!WaitFor(sock_, POLLOUT, writeBy_))
            return -1;
        ssize_t n;
        do
            n = ::send(sock_, ptr, size, MSG_NOSIGNAL);
        while (n < 0 && errno == EINTR);
        return n;
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override
    {
        sockaddr_storage a{};
        socklen_t len = sizeof a;
        if (::getpeername(sock_, reinterpret_cast<sockaddr*>(&a), &len) == 0)
            Address(a, ip, port);
    }

    void get_local_ip_and_port(std::string& ip, int& port) const override
    {
        sockaddr_storage a{};
        socklen_t len = sizeof a;
        if (::getsockname(sock_, reinterpret_cast<sockaddr*>(&a), &len) == 0)
            Address(a, ip, port);
    }

    socket_t socket() const override { return sock_; }

private:
    int sock_;
    std::chrono::seconds timeout_{20};
    TClock::time_point readBy_, writeBy_;
    bool writing_ = false;
    size_t headRead_ = 0;
    bool inBody_ = false;
};

thread_local TDeadlineStream* currentStream = nullptr;

} // namespace

// httplib's request reading, routing and reply writing, driven by connection threads of our own.
class TAppServer::TEndpoint : public httplib::Server {
public:
    TEndpoint(TRpcDispatcher& dispatcher, const TSettings& settings)
        : dispatcher_(dispatcher), settings_(settings), connections_(size_t(settings.maxConnections)),
          workers_(size_t(settings.threads))
    {
        Install();
    }

    ~TEndpoint() override { Finish(); }

    void Accepted(int sock)
    {
        connections_.enqueue([this, sock] { Serve(sock); });
    }

    // Waits for every accepted connection to be answered, then for the calls under way.
    void Finish()
    {
        if (finished_.exchange(true))
            return;
        stopping_ = true;
        connections_.shutdown();
        workers_.shutdown();
    }

    std::atomic<bool> stopping_{false};

private:
    void Install();
    void Serve(int sock);
    static void Close(int sock);

    TRpcDispatcher& dispatcher_;
    const TSettings& settings_;
    httplib::ThreadPool connections_;
    httplib::ThreadPool workers_;
    std::atomic<bool> finished_{false};
};

void TAppServer::TEndpoint::Install()
{
    set_payload_max_length(size_t(settings_.maxRequestBytes));

    set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        if (currentStream)
            currentStream->BodyStarts();
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
        const std::string encoding = req.get_header_value("Content-Encoding");
        if ((req.has_header("Content-Type") && !IsJsonType(req.get_header_value("Content-Type"))) ||
            (!encoding.empty() && encoding != "identity")) {
            SetError(res, 415, -32600, QStringLiteral("O corpo da requisição deve ser JSON (Content-Type: application/json), sem compressão."));
            return httplib::Server::HandlerResponse::Handled;
        }
        // A declared length over the limit is answered before any of the body is read.
        if (req.has_header("Content-Length")) {
            const std::string length = req.get_header_value("Content-Length");
            char* end = nullptr;
            errno = 0;
            const unsigned long long n = std::strtoull(length.c_str(), &end, 10);
            if (errno != 0 || end == length.c_str() || n > (unsigned long long)settings_.maxRequestBytes) {
                SetError(res, 413, -32600, QStringLiteral("A requisição excede o tamanho máximo aceito pelo servidor."));
                return httplib::Server::HandlerResponse::Handled;
            }
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });

    Post(ObjectPath, [this](const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader) {
        // The body, however framed, is kept only up to the limit.
        std::string body;
        bool tooLarge = false;
        const size_t limit = size_t(settings_.maxRequestBytes);
        const bool read = reader([&](const char* data, size_t length) {
            if (length > limit - body.size()) {
                tooLarge = true;
                return false;
            }
            body.append(data, length);
            return true;
        });
        if (tooLarge) {
            SetError(res, 413, -32600, QStringLiteral("A requisição excede o tamanho máximo aceito pelo servidor."));
            return;
        }
        if (!read) {
            SetError(res, 400, -32600, QStringLiteral("Requisição HTTP inválida ou incompleta."));
            return;
        }
        // The call runs on a worker (which holds its database connection); this thread only waits.
        const QString client = QString::fromStdString(req.remote_addr);
        auto done = std::make_shared<std::promise<TRpcDispatcher::TReply>>();
        std::future<TRpcDispatcher::TReply> reply = done->get_future();
        workers_.enqueue([this, done, &body, &client] {
            try {
                done->set_value(dispatcher_.Handle(QByteArray::fromStdString(body), client));
            } catch (...) {
                done->set_exception(std::current_exception());
            }
        });
        const TRpcDispatcher::TReply r = reply.get();
        currentCall.method = r.method;
        currentCall.outcome = r.outcome;
        res.status = 200;
        res.set_content(r.body.toStdString(), JsonType);
    });

    // Errors httplib answers by itself (unreadable request) get a JSON-RPC body.
    set_error_handler([](const httplib::Request&, httplib::Response& res) {
        if (!res.body.empty())
            return;
        if (res.status == 413)
            SetError(res, 413, -32600, QStringLiteral("A requisição excede o tamanho máximo aceito pelo servidor."));
        else
            SetError(res, res.status, -32600, QStringLiteral("Requisição HTTP inválida."));
    });

    set_logger([this](const httplib::Request& req, const httplib::Response& res) {
        if (!settings_.log)
            return;
        const double ms = std::chrono::duration<double, std::milli>(TClock::now() - currentCall.start).count();
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
    });
}

void TAppServer::TEndpoint::Serve(int sock)
{
    TDeadlineStream stream(sock);
    currentStream = &stream;
    const std::chrono::seconds timeout(settings_.requestTimeoutSeconds);
    for (int served = 0;; ++served) {
        if (served > 0) {
            // Keep-alive: wait for the next request a bounded time, and not at all once the
            // server stops (a request already sent is still answered).
            const auto idleUntil = TClock::now() + std::chrono::seconds(settings_.keepAliveSeconds);
            bool next = false;
            while (!next && !stopping_ && TClock::now() < idleUntil)
                next = WaitFor(sock, POLLIN, std::min(idleUntil, TClock::now() + std::chrono::milliseconds(200)));
            if (!next && stopping_)
                next = WaitFor(sock, POLLIN, TClock::now() + std::chrono::milliseconds(1));
            if (!next)
                break;
        }
        currentCall = TCallInfo{TClock::now(), QStringLiteral("-"), QString(), false};
        stream.StartRequest(timeout);
        bool clientClosed = false;
        const bool last = stopping_ || served + 1 >= 1000;
        const bool ok = process_request(stream, last, clientClosed, [](httplib::Request&) {});
        if (!ok || clientClosed || last || currentCall.close)
            break;
    }
    currentStream = nullptr;
    Close(sock);
}

void TAppServer::TEndpoint::Close(int sock)
{
    // The reply may have gone out before the request was read to its end: say that nothing more
    // is sent, let the client read the reply while what it still sends is discarded for a
    // moment, then close (closing at once could reset the connection and lose the reply).
    ::shutdown(sock, SHUT_WR);
    const auto until = TClock::now() + std::chrono::milliseconds(500);
    char sink[16384];
    size_t discarded = 0;
    while (discarded < (size_t(1) << 20) && WaitFor(sock, POLLIN, until)) {
        const ssize_t n = ::recv(sock, sink, sizeof sink, 0);
        if (n <= 0)
            break;
        discarded += size_t(n);
    }
    ::close(sock);
}

const char* const TAppServer::ObjectPath = "/Est99000.rdmConsDesEtiq";

TAppServer::TAppServer(TRpcDispatcher& dispatcher, TSettings settings)
    : settings_(std::move(settings)), endpoint_(std::make_unique<TEndpoint>(dispatcher, settings_))
{
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw Exception(QStringLiteral("Não foi possível preparar o servidor: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    wakeRead_ = pipeEnds[0];
    wakeWrite_ = pipeEnds[1];
}

TAppServer::~TAppServer()
{
    endpoint_->Finish();
    if (listener_ >= 0)
        ::close(listener_);
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

int TAppServer::Bind()
{
    const QString where = settings_.port == 0 ? settings_.listenAddress
                                              : QStringLiteral("%1:%2").arg(settings_.listenAddress).arg(settings_.port);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string host = settings_.listenAddress.toStdString(), service = std::to_string(settings_.port);
    if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || !found)
        throw Exception(QStringLiteral("Não foi possível escutar em %1: endereço inválido.").arg(where));
    int error = 0;
    for (addrinfo* a = found; a && listener_ < 0; a = a->ai_next) {
        const int sock = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (sock < 0) {
            error = errno;
            continue;
        }
        // SO_REUSEADDR lets a restarted server take its port back from connections still closing;
        // without SO_REUSEPORT a port another process listens on stays refused.
        const int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        if (::bind(sock, a->ai_addr, a->ai_addrlen) == 0 && ::listen(sock, 1024) == 0) {
            listener_ = sock;
        } else {
            error = errno;
            ::close(sock);
        }
    }
    ::freeaddrinfo(found);
    if (listener_ < 0) {
        if (error == EADDRINUSE)
            throw Exception(QStringLiteral("Não foi possível escutar em %1: o endereço já está em uso (outro servidor "
                                           "escuta nesta porta?).").arg(where));
        throw Exception(QStringLiteral("Não foi possível escutar em %1: %2.").arg(where, QString::fromLocal8Bit(std::strerror(error))));
    }
    sockaddr_storage bound{};
    socklen_t len = sizeof bound;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&bound), &len);
    std::string ip;
    int port = 0;
    Address(bound, ip, port);
    return port;
}

void TAppServer::Run()
{
    for (;;) {
        pollfd p[2] = {{listener_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        const int n = ::poll(p, 2, -1);
        if (n < 0 && errno != EINTR)
            break;
        if (p[1].revents || endpoint_->stopping_)
            break;
        if (p[0].revents & POLLIN) {
            const int sock = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (sock >= 0)
                endpoint_->Accepted(sock);
            else if (errno == EMFILE || errno == ENFILE)
                ::usleep(10000);   // out of descriptors: let connections end before taking more
        }
    }
    // Stopping: take every connection still waiting in the listen queue, then close the port so
    // that no more come, and answer them all.
    ::fcntl(listener_, F_SETFL, ::fcntl(listener_, F_GETFL) | O_NONBLOCK);
    for (int sock; (sock = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;)
        endpoint_->Accepted(sock);
    ::close(listener_);
    listener_ = -1;
    endpoint_->Finish();
}

void TAppServer::Stop()
{
    endpoint_->stopping_ = true;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &byte, 1);
}
