#pragma once
// The HTTP/1.1 side of the application server: POST /Est99000.rdmConsDesEtiq carries one
// JSON-RPC call, answered by TRpcDispatcher on a pool of worker threads. Other paths answer 404,
// other HTTP methods 405, a body over the size limit 413 and, when a token is set, a request
// without "Authorization: Bearer <token>" 401 (each with a JSON-RPC error body). One line per
// call goes to standard error. Bind() raises Exception when the address cannot be bound.

#include "rpcdispatcher.h"

#include <QString>

#include <memory>

namespace httplib { class Server; }

class TAppServer {
public:
    struct TSettings {
        QString listenAddress = QStringLiteral("127.0.0.1");
        int port = 8211;                  // 0 = any free port
        QString token;                    // empty = no access token
        qint64 maxRequestBytes = 8 * 1024 * 1024;
        int threads = 8;
        bool log = true;
    };

    static const char* const ObjectPath;

    TAppServer(TRpcDispatcher& dispatcher, TSettings settings);
    ~TAppServer();

    int Bind();      // returns the port bound
    void Run();      // serves until Stop()
    void Stop();     // callable from any thread

private:
    void Install();

    TRpcDispatcher& dispatcher_;
    TSettings settings_;
    std::unique_ptr<httplib::Server> http_;
};
