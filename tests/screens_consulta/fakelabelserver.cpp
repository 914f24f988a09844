#include "fakelabelserver.h"

#include <httplib.h>

#include <QJsonDocument>

#include <chrono>

namespace {

QJsonObject Result(const TVariant& value, const QJsonObject& byRef = {})
{
    return QJsonObject{{"result", QJsonObject{{"value", value.ToJson()}, {"byRef", byRef}}}};
}

QString Key(const QString& cdFilial, const QString& nrLanctoNf)
{
    return cdFilial + QLatin1Char('/') + nrLanctoNf;
}

} // namespace

TFakeLabelServer::TFakeLabelServer() : server_(std::make_unique<httplib::Server>())
{
    invoices_ = DataPacketToJson(TDataPacket());
    server_->Post(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) {
        const QJsonObject request = QJsonDocument::fromJson(QByteArray::fromStdString(req.body)).object();
        QJsonObject body = Answer(request.value("method").toString(), request.value("params").toArray());
        body.insert("jsonrpc", "2.0");
        body.insert("id", request.value("id"));
        res.set_content(QJsonDocument(body).toJson(QJsonDocument::Compact).toStdString(), "application/json");
    });
    port_ = server_->bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    while (!server_->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TFakeLabelServer::~TFakeLabelServer()
{
    server_->stop();
    thread_.join();
}

QJsonObject TFakeLabelServer::Answer(const QString& method, const QJsonArray& params)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    TFakeCall call{method, {}};
    for (const QJsonValue& p : params)
        call.params.append(TVariant::FromJson(p));
    calls_.append(call);
    if (failures_.contains(method))
        return QJsonObject{{"error", QJsonObject{{"code", -32000}, {"message", failures_.value(method)}}}};
    if (method == QLatin1String("GetNFEtiqueta"))
        return Result(TVariant::FromArray({TVariant::FromPacket(invoices_)}), nfByRef_);
    if (method == QLatin1String("GetProduto")) {
        const auto found = items_.value(Key(call.params.value(0).AsString(), call.params.value(1).AsString()),
                                        {DataPacketToJson(TDataPacket()), DataPacketToJson(TDataPacket())});
        return Result(TVariant::FromArray({TVariant::FromPacket(found.first), TVariant::FromPacket(found.second)}));
    }
    if (method == QLatin1String("setEtiqueta")) {
        const QString reply = setReply_;
        if (afterSet_)
            afterSet_(*this);
        return Result(TVariant::FromString(reply));
    }
    return QJsonObject{{"error", QJsonObject{{"code", -32601}, {"message", "Método desconhecido"}}}};
}

void TFakeLabelServer::SetNFEtiquetaByRef(int index, const QString& text)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    nfByRef_.insert(QString::number(index), TVariant::FromString(text, true).ToJson());
}

void TFakeLabelServer::SetInvoices(const TDataPacket& invoices)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    invoices_ = DataPacketToJson(invoices);
}

void TFakeLabelServer::SetItems(const QString& cdFilial, const QString& nrLanctoNf, const TDataPacket& items,
                                const TDataPacket& labels)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    items_.insert(Key(cdFilial, nrLanctoNf), {DataPacketToJson(items), DataPacketToJson(labels)});
}

void TFakeLabelServer::SetEtiquetaReply(const QString& reply, std::function<void(TFakeLabelServer&)> then)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    setReply_ = reply;
    afterSet_ = std::move(then);
}

void TFakeLabelServer::FailMethod(const QString& method, const QString& message)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    failures_.insert(method, message);
}

QList<TFakeCall> TFakeLabelServer::Calls() const
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return calls_;
}

QList<TFakeCall> TFakeLabelServer::Calls(const QString& method) const
{
    QList<TFakeCall> matching;
    for (const TFakeCall& call : Calls()) {
        if (call.method == method)
            matching.append(call);
    }
    return matching;
}

QStringList TFakeLabelServer::Methods() const
{
    QStringList methods;
    for (const TFakeCall& call : Calls())
        methods.append(call.method);
    return methods;
}

void TFakeLabelServer::ClearCalls()
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    calls_.clear();
}
