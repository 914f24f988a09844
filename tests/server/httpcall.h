#pragma once
// Raw HTTP requests to a server under test, with cpp-httplib's client: what went out is exactly
// what the test wrote, and the reply comes back unparsed next to its JSON reading.

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <map>
#include <string>

struct THttpReply {
    int status = 0;              // 0 = no reply (connection failed)
    QByteArray body;
    QJsonObject json;            // empty when the body is not a JSON object
    std::string contentType;
};

THttpReply HttpPost(int port, const QByteArray& body, const std::string& path = "/Est99000.rdmConsDesEtiq",
                    const std::map<std::string, std::string>& headers = {});
THttpReply HttpGet(int port, const std::string& path);

// A JSON-RPC call of one of the three methods; returns the parsed reply object.
QJsonObject RpcCall(int port, const QByteArray& requestBody);

// A loopback connection written byte for byte, for requests no well-behaved client sends.
class TRawConnection {
public:
    explicit TRawConnection(int port);
    ~TRawConnection();
    TRawConnection(const TRawConnection&) = delete;
    TRawConnection& operator=(const TRawConnection&) = delete;

    bool Send(const std::string& bytes);   // false once the server closed the connection
    // Everything the server sends until it closes the connection or `seconds` pass.
    std::string ReadAll(int seconds = 15);
    // True when the server closed the connection within `ms` milliseconds (what it sent is dropped).
    bool ClosedWithin(int ms);

private:
    int sock_ = -1;
};

// The status code of a raw HTTP reply ("HTTP/1.1 413 ..."), 0 when there is none.
int RawStatus(const std::string& reply);
