#include "screens_desmembra/fakelabelserver.h"

#include "platform/packet.h"
#include "platform/variant.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <httplib.h>

#include <chrono>

namespace {

void Answer(httplib::Response& response, const QJsonValue& id, const QJsonObject& body)
{
    QJsonObject reply{{"jsonrpc", "2.0"}, {"id", id}};
    for (auto it = body.begin(); it != body.end(); ++it)
        reply.insert(it.key(), it.value());
    response.set_content(QJsonDocument(reply).toJson(QJsonDocument::Compact).toStdString(), "application/json");
}

QJsonObject Result(const TVariant& value, const QJsonObject& byRef = {})
{
    return {{"result", QJsonObject{{"value", value.ToJson()}, {"byRef", byRef}}}};
}

int Column(const QList<TPacketField>& fields, const QString& name)
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields.at(i).name == name)
            return i;
    return -1;
}

// Applies an accepted change packet to the label packet as the real server would: an insertion
// with the status "I" inactivates the label of its barcode, any other insertion is a new label.
QJsonObject Applied(const QJsonObject& labelsJson, const QJsonObject& changesJson)
{
    TDataPacket labels = DataPacketFromJson(labelsJson);
    const TChangePacket changes = ChangePacketFromJson(changesJson);
    const int barcode = Column(labels.fields, QStringLiteral("CDCODBARRAETIQ"));
    const int status = Column(labels.fields, QStringLiteral("IDSTATUSETIQ"));
    for (const TChange& change : changes.changes) {
        const QVariantList& row = change.newRow;
        const QString code = row.value(Column(changes.fields, QStringLiteral("CDCODBARRAETIQ"))).toString();
        const QString state = row.value(Column(changes.fields, QStringLiteral("IDSTATUSETIQ"))).toString();
        if (state == QLatin1String("I")) {
            for (QVariantList& label : labels.rows)
                if (label.value(barcode).toString() == code)
                    label[status] = state;
            continue;
        }
        QVariantList label;
        for (const TPacketField& field : labels.fields) {
            const int from = Column(changes.fields, field.name);
            label.append(from < 0 ? QVariant() : row.value(from));
        }
        labels.rows.append(label);
    }
    return DataPacketToJson(labels);
}

} // namespace

TFakeLabelServer::TFakeLabelServer() : server_(std::make_unique<httplib::Server>())
{
    server_->Post(R"(/.*)", [this](const httplib::Request& request, httplib::Response& response) {
        Handle(request, response);
    });
    port_ = server_->bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    while (port_ > 0 && !server_->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TFakeLabelServer::~TFakeLabelServer()
{
    server_->stop();
    if (thread_.joinable())
        thread_.join();
}

void TFakeLabelServer::SetInvoices(const QJsonObject& packet)
{
    std::lock_guard lock(mutex_);
    invoices_ = packet;
}

void TFakeLabelServer::SetItemsAndLabels(const QJsonObject& items, const QJsonObject& labels)
{
    std::lock_guard lock(mutex_);
    items_ = items;
    labels_ = labels;
}

void TFakeLabelServer::ScriptSetEtiqueta(const QStringList& replies)
{
    std::lock_guard lock(mutex_);
    replies_ = replies;
}

QStringList TFakeLabelServer::Methods() const
{
    std::lock_guard lock(mutex_);
    return methods_;
}

QList<QJsonObject> TFakeLabelServer::ChangePackets() const
{
    std::lock_guard lock(mutex_);
    return packets_;
}

int TFakeLabelServer::Count(const QString& method) const
{
    return int(Methods().count(method));
}

void TFakeLabelServer::Handle(const httplib::Request& request, httplib::Response& response)
{
    const QJsonObject call = QJsonDocument::fromJson(QByteArray::fromStdString(request.body)).object();
    const QString method = call.value(QStringLiteral("method")).toString();
    const QJsonArray params = call.value(QStringLiteral("params")).toArray();
    const QJsonValue id = call.value(QStringLiteral("id"));
    std::lock_guard lock(mutex_);
    methods_.append(method);
    if (method == QLatin1String("GetNFEtiqueta")) {
        QJsonObject byRef;
        for (int i = 0; i < params.size(); ++i) {
            if (params.at(i).toObject().value(QStringLiteral("byRef")).toBool())
                byRef.insert(QString::number(i), params.at(i));
        }
        Answer(response, id, Result(TVariant::FromArray({TVariant::FromPacket(invoices_)}), byRef));
        return;
    }
    if (method == QLatin1String("GetProduto")) {
        Answer(response, id, Result(TVariant::FromArray({TVariant::FromPacket(items_), TVariant::FromPacket(labels_)})));
        return;
    }
    if (method == QLatin1String("setEtiqueta") && params.size() == 1) {
        packets_.append(params.at(0).toObject().value(QStringLiteral("value")).toObject());
        const QString reply = replies_.isEmpty() ? QString() : replies_.takeFirst();
        if (!reply.contains(QLatin1String("Erro: "))) {
            try {
                labels_ = Applied(labels_, packets_.last());
            } catch (const std::exception&) {
                // A packet the server cannot read changes nothing; the test sees what was sent.
            }
        }
        Answer(response, id, Result(TVariant::FromString(reply)));
        return;
    }
    Answer(response, id,
           {{"error", QJsonObject{{"code", -32601}, {"message", QStringLiteral("Método desconhecido: ") + method}}}});
}
