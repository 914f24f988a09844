#pragma once
// The HTTP/1.1 side of the application server: POST /Est99000.rdmConsDesEtiq carries one
// JSON-RPC call, answered by TRpcDispatcher. Other paths answer 404, other HTTP methods 405, a
// Content-Type other than JSON (or a compressed body) 415, a body over the size limit 413 and,
// when a token is set, a request without "Authorization: Bearer <token>" 401 (each with a
// JSON-RPC error body). One line per call goes to standard error.
//
// Connections and calls are kept apart so that slow clients cannot hold the server:
// - each connection has a thread of its own (at most `maxConnections`; later ones wait in the
//   listen queue), which reads a request under one deadline for its headers and body
//   (`requestTimeoutSeconds`) and closes a connection left idle for `keepAliveSeconds`;
// - only a request that has fully arrived goes to the `threads` workers that run calls (and hold
//   the database connections), so a worker never waits on a client;
// - a body is read only up to `maxRequestBytes`, however it is framed (length or chunks): past
//   the limit the request is answered 413 at once and its connection closed.
// Stop() stops accepting, then answers every connection already accepted (those waiting in the
// listen queue too) and every call under way before Run() returns.
// Bind() raises Exception when the address cannot be bound (in use, or not of this machine).

#include "rpcdispatcher.h"

#include <QString>

#include <atomic>
#include <memory>

class TAppServer {
public:
    struct TSettings {
        QString listenAddress = QStringLiteral("127.0.0.1");
        int port = 8211;                  // 0 = any free port
        QString token;                    // empty = no access token
        qint64 maxRequestBytes = 8 * 1024 * 1024;
        int threads = 8;
        int maxConnections = 256;
        int requestTimeoutSeconds = 20;
        int keepAliveSeconds = 5;
        bool log = true;
    };

    static const char* const ObjectPath;

    TAppServer(TRpcDispatcher& dispatcher, TSettings settings);
    ~TAppServer();

    int Bind();      // returns the port bound
    void Run();      // serves until Stop()
    void Stop();     // callable from any thread, also a signal-waiting one

    class TEndpoint;

private:
    TSettings settings_;
    std::unique_ptr<TEndpoint> endpoint_;
    int listener_ = -1;
    int wakeRead_ = -1, wakeWrite_ = -1;
};
