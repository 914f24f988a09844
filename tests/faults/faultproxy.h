#pragma once
// TFaultProxy: an HTTP server inside the test, on a loopback port chosen at run time, that
// stands between the screen and the application server. It passes every call through to the
// server unless a fault is armed for the call's method; an armed fault hits the next calls of
// that method (Times of them) and decides whether the call still reaches the server, how long
// the answer takes, and what the answer is.

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace httplib {
class Server;
}

struct TFault {
    QString method;                 // the method it hits
    int times = 1;
    bool reachesServer = true;      // the call goes through to the server; if not, the answer
                                    // starts as an empty text
    int delayMs = 0;                // the answer waits this long (after the server answered)
    int status = 200;
    std::optional<QByteArray> body; // the answer instead of the server's
    QByteArray contentType = "application/json";
    // Changes the server's answer (a JSON-RPC response) before it goes back.
    std::function<QByteArray(const QByteArray&)> rewrite;
};

class TFaultProxy {
public:
    explicit TFaultProxy(int serverPort);
    ~TFaultProxy();
    TFaultProxy(const TFaultProxy&) = delete;
    TFaultProxy& operator=(const TFaultProxy&) = delete;

    int Port() const { return port_; }
    void Arm(const TFault& fault);
    // Methods of the calls that reached the proxy, in order.
    QStringList Calls() const;
    // Faults still armed.
    int Armed() const;

private:
    std::optional<TFault> Take(const QString& method);

    std::unique_ptr<httplib::Server> http_;
    std::thread thread_;
    int port_ = 0;
    int serverPort_;
    mutable std::mutex mutex_;
    QList<TFault> faults_;
    QStringList calls_;
};

// A JSON-RPC response whose result value is replaced by this tagged value (JSON text).
QByteArray WithResultValue(const QByteArray& response, const QByteArray& taggedValue);
// A JSON-RPC response to GetProduto whose label packet (element 1) went through `change`.
QByteArray WithLabelPacket(const QByteArray& response, const std::function<void(QJsonObject&)>& change);
