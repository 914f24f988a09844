#include "httpcall.h"

#include <httplib.h>

#include <QJsonDocument>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace {

THttpReply Convert(const httplib::Result& r)
{
    THttpReply reply;
    if (!r)
        return reply;
    reply.status = r->status;
    reply.body = QByteArray::fromStdString(r->body);
    reply.contentType = r->get_header_value("Content-Type");
    const QJsonDocument doc = QJsonDocument::fromJson(reply.body);
    if (doc.isObject())
        reply.json = doc.object();
    return reply;
}

} // namespace

THttpReply HttpPost(int port, const QByteArray& body, const std::string& path,
                    const std::map<std::string, std::string>& headers)
{
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(60, 0);
    httplib::Headers h;
    for (const auto& [k, v] : headers)
        h.emplace(k, v);
    return Convert(client.Post(path.c_str(), h, body.toStdString(), "application/json"));
}

THttpReply HttpGet(int port, const std::string& path)
{
    httplib::Client client("127.0.0.1", port);
    return Convert(client.Get(path.c_str()));
}

QJsonObject RpcCall(int port, const QByteArray& requestBody)
{
    return HttpPost(port, requestBody).json;
}

TRawConnection::TRawConnection(int port)
{
    sock_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(quint16(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(sock_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(sock_);
        sock_ = -1;
    }
}

TRawConnection::~TRawConnection()
{
    if (sock_ >= 0)
        ::close(sock_);
}

bool TRawConnection::Send(const std::string& bytes)
{
    size_t sent = 0;
    while (sock_ >= 0 && sent < bytes.size()) {
        const ssize_t n = ::send(sock_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += size_t(n);
    }
    return sock_ >= 0;
}

std::string TRawConnection::ReadAll(int seconds)
{
    std::string reply;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (sock_ >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()).count();
        pollfd p{sock_, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, int(left)) <= 0)
            break;
        char buf[16384];
        const ssize_t n = ::recv(sock_, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        reply.append(buf, size_t(n));
    }
    return reply;
}

bool TRawConnection::ClosedWithin(int ms)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (sock_ >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()).count();
        pollfd p{sock_, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, int(left)) <= 0)
            return false;
        char buf[4096];
        if (::recv(sock_, buf, sizeof buf, 0) <= 0)
            return true;
    }
    return true;
}

int RawStatus(const std::string& reply)
{
    if (reply.compare(0, 9, "HTTP/1.1 ") != 0 || reply.size() < 12)
        return 0;
    return std::atoi(reply.substr(9, 3).c_str());
}
