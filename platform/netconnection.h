#pragma once
// TNetConnection: the connection to an application server object. Each call is one HTTP/1.1
// POST of a JSON-RPC 2.0 request to /<ServerName> on Host:Port; the reply's value comes back
// as a TVariant and the texts the server leaves in arguments passed by reference are written
// back into the caller's list.
//
// A call returns only when the server answered it. Otherwise it throws, with a message in
// Portuguese a clerk can act on: ENetConnectionError when the server cannot be reached, does
// not answer within ReadTimeoutMs, answers with an HTTP error, or answers outside the protocol;
// EServerError (code and the server's own message) when the server reports a JSON-RPC error.
// Nothing is retried. Calls are synchronous and run on the caller's thread.

#include "platform/variant.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class TNetConnection : public QObject {
    Q_OBJECT
public:
    explicit TNetConnection(QObject* parent = nullptr);

    QString ServerName;
    QString Host;
    int Port = 0;
    QString AccessToken;       // sent as "Authorization: Bearer <token>" when not empty
    // Time-outs in milliseconds; zero or less means the default.
    static constexpr int DefaultConnectTimeoutMs = 5000;
    static constexpr int DefaultReadTimeoutMs = 30000;
    int ConnectTimeoutMs = DefaultConnectTimeoutMs;
    int ReadTimeoutMs = DefaultReadTimeoutMs;
    // When set, Open() checks that the server accepts connections and throws
    // ENetConnectionError when it does not; when clear, Open() only prepares the connection and
    // the first call reports an unreachable server. Calls always throw on failure.
    bool ThrowException = false;
    std::function<void(TNetConnection*)> BeforeConnect;   // runs on every Open, before it is marked open

    void Open();
    void Close();
    bool Connected() const { return connected_; }

    // Calls `method` with `args` as its parameters, in order. Opens the connection first when it
    // is closed. By-reference texts are updated only when the whole reply is valid.
    TVariant Call(const QString& method, QList<TVariant>& args);

private:
    QString Address() const;
    void CheckAddress() const;
    void ProbeServer() const;
    int ConnectTimeout() const { return ConnectTimeoutMs > 0 ? ConnectTimeoutMs : DefaultConnectTimeoutMs; }
    int ReadTimeout() const { return ReadTimeoutMs > 0 ? ReadTimeoutMs : DefaultReadTimeoutMs; }

    bool connected_ = false;
    qint64 nextId_ = 1;
};
