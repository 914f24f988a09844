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
