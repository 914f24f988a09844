#include "faults/faultproxy.h"

#include <httplib.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <chrono>

TFaultProxy::TFaultProxy(int serverPort) : http_(std::make_unique<httplib::Server>()), serverPort_(serverPort)
{
    http_->Post(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) {
        const QJsonObject request = QJsonDocument::fromJson(QByteArray::fromStdString(req.body)).object();
        const std::optional<TFault> fault = Take(request.value("method").toString());
        // A call kept from the server is answered, unless the fault says otherwise, with an
        // empty text, as an accepted change would be.
        const QJsonObject empty{{"jsonrpc", "2.0"}, {"id", request.value("id")},
                                {"result", QJsonObject{{"value", QJsonObject{{"type", "string"}, {"value", ""}}}}}};
        QByteArray answer = QJsonDocument(empty).toJson(QJsonDocument::Compact);
        int status = 200;
        std::string contentType = "application/json";
        if (!fault || fault->reachesServer) {
            httplib::Client client("127.0.0.1", serverPort_);
            client.set_read_timeout(30, 0);
            httplib::Headers headers;
            if (req.has_header("Authorization"))
                headers.emplace("Authorization", req.get_header_value("Authorization"));
            if (auto forwarded = client.Post(req.path, headers, req.body, "application/json")) {
                answer = QByteArray::fromStdString(forwarded->body);
                status = forwarded->status;
                contentType = forwarded->get_header_value("Content-Type");
            }
        }
        if (fault) {
            if (fault->delayMs > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(fault->delayMs));
            if (fault->rewrite)
                answer = fault->rewrite(answer);
            if (fault->body)
                answer = *fault->body;
            status = fault->status;
            contentType = fault->contentType.toStdString();
        }
        res.status = status;
        res.set_content(answer.toStdString(), contentType);
    });
    port_ = http_->bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { http_->listen_after_bind(); });
    while (!http_->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TFaultProxy::~TFaultProxy()
{
    http_->stop();
    thread_.join();
}

void TFaultProxy::Arm(const TFault& fault)
{
    std::lock_guard lock(mutex_);
    faults_.append(fault);
}

std::optional<TFault> TFaultProxy::Take(const QString& method)
{
    std::lock_guard lock(mutex_);
    calls_.append(method);
    for (qsizetype i = 0; i < faults_.size(); ++i) {
        if (faults_[i].method != method)
            continue;
        TFault fault = faults_[i];
        if (--faults_[i].times <= 0)
            faults_.removeAt(i);
        return fault;
    }
    return std::nullopt;
}

QStringList TFaultProxy::Calls() const
{
    std::lock_guard lock(mutex_);
    return calls_;
}

int TFaultProxy::Armed() const
{
    std::lock_guard lock(mutex_);
    return int(faults_.size());
}

QByteArray WithResultValue(const QByteArray& response, const QByteArray& taggedValue)
{
    QJsonObject reply = QJsonDocument::fromJson(response).object();
    QJsonObject result = reply.value("result").toObject();
    result.insert("value", QJsonDocument::fromJson(taggedValue).object());
    reply.insert("result", result);
    return QJsonDocument(reply).toJson(QJsonDocument::Compact);
}

QByteArray WithLabelPacket(const QByteArray& response, const std::function<void(QJsonObject&)>& change)
{
    QJsonObject reply = QJsonDocument::fromJson(response).object();
    QJsonObject result = reply.value("result").toObject();
    QJsonObject value = result.value("value").toObject();
    QJsonArray elements = value.value("value").toArray();
    QJsonObject labels = elements.at(1).toObject();
    QJsonObject packet = labels.value("value").toObject();
    change(packet);
    labels.insert("value", packet);
    elements.replace(1, labels);
    value.insert("value", elements);
    result.insert("value", value);
    reply.insert("result", result);
    return QJsonDocument(reply).toJson(QJsonDocument::Compact);
}
