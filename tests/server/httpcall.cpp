#include "httpcall.h"

#include <httplib.h>

#include <QJsonDocument>

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
