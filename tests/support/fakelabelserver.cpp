#include "support/fakelabelserver.h"

#include <httplib.h>

#include <QJsonDocument>

#include <chrono>

namespace {

QJsonObject Result(const TVariant& value, const QJsonObject& byRef = {})
{
    return QJsonObject{{"result", QJsonObject{{"value", value.ToJson()}, {"byRef", byRef}}}};
}

QJsonObject Error(int code, const QString& message)
{
    return QJsonObject{{"error", QJsonObject{{"code", code}, {"message", message}}}};
}

QString Key(const QString& cdFilial, const QString& nrLanctoNf)
{
    return cdFilial + QLatin1Char('/') + nrLanctoNf;
}

QJsonObject EmptyPacket()
{
    return DataPacketToJson(TDataPacket());
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
    invoices_ = anyItems_ = anyLabels_ = EmptyPacket();
    server_->Post(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) {
        const QJsonObject request = QJsonDocument::fromJson(QByteArray::fromStdString(req.body)).object();
        QJsonObject body = Answer(request.value("method").toString(), request.value("params").toArray());
        body.insert("jsonrpc", "2.0");
        body.insert("id", request.value("id"));
        res.set_content(QJsonDocument(body).toJson(QJsonDocument::Compact).toStdString(), "application/json");
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

QJsonObject TFakeLabelServer::Answer(const QString& method, const QJsonArray& params)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    TFakeCall call{method, {}};
    for (const QJsonValue& p : params)
        call.params.append(TVariant::FromJson(p));
    calls_.append(call);
    if (failures_.contains(method))
        return Error(-32000, failures_.value(method));
    if (method == QLatin1String("GetNFEtiqueta")) {
        QJsonObject byRef;
        for (int i = 0; i < params.size(); ++i) {
            if (params.at(i).toObject().value(QStringLiteral("byRef")).toBool())
                byRef.insert(QString::number(i), params.at(i));
        }
        for (auto it = nfByRef_.begin(); it != nfByRef_.end(); ++it)
            byRef.insert(it.key(), it.value());
        return Result(TVariant::FromArray({TVariant::FromPacket(invoices_)}), byRef);
    }
    if (method == QLatin1String("GetProduto")) {
        const auto found = items_.value(Key(call.params.value(0).AsString(), call.params.value(1).AsString()),
                                        {anyItems_, anyLabels_});
        return Result(TVariant::FromArray({TVariant::FromPacket(found.first), TVariant::FromPacket(found.second)}));
    }
    if (method == QLatin1String("setEtiqueta"))
        return AnswerSetEtiqueta(params);
    return Error(-32601, QStringLiteral("Método desconhecido: ") + method);
}

QJsonObject TFakeLabelServer::AnswerSetEtiqueta(const QJsonArray& params)
{
    const QJsonObject packet = params.at(0).toObject().value(QStringLiteral("value")).toObject();
    packets_.append(packet);
    const QString reply = script_.isEmpty() ? setReply_ : script_.takeFirst();
    const bool holdsLabels = !anyLabels_.value(QStringLiteral("fields")).toArray().isEmpty();
    if (holdsLabels && !reply.contains(QLatin1String("Erro: "))) {
        try {
            anyLabels_ = Applied(anyLabels_, packet);
        } catch (const std::exception&) {
            // A packet the server cannot read changes nothing; the test sees what was sent.
        }
    }
    if (afterSet_)
        afterSet_(*this);
    return Result(TVariant::FromString(reply));
}

void TFakeLabelServer::SetNFEtiquetaByRef(int index, const QString& text)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    nfByRef_.insert(QString::number(index), TVariant::FromString(text, true).ToJson());
}

void TFakeLabelServer::SetInvoices(const TDataPacket& invoices)
{
    SetInvoices(DataPacketToJson(invoices));
}

void TFakeLabelServer::SetInvoices(const QJsonObject& invoices)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    invoices_ = invoices;
}

void TFakeLabelServer::SetItems(const QString& cdFilial, const QString& nrLanctoNf, const TDataPacket& items,
                                const TDataPacket& labels)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    items_.insert(Key(cdFilial, nrLanctoNf), {DataPacketToJson(items), DataPacketToJson(labels)});
}

void TFakeLabelServer::SetItemsAndLabels(const QJsonObject& items, const QJsonObject& labels)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    anyItems_ = items;
    anyLabels_ = labels;
}

void TFakeLabelServer::SetEtiquetaReply(const QString& reply, std::function<void(TFakeLabelServer&)> then)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    setReply_ = reply;
    afterSet_ = std::move(then);
}

void TFakeLabelServer::ScriptSetEtiqueta(const QStringList& replies)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    script_ = replies;
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

int TFakeLabelServer::Count(const QString& method) const
{
    return int(Methods().count(method));
}

QList<QJsonObject> TFakeLabelServer::ChangePackets() const
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return packets_;
}

void TFakeLabelServer::ClearCalls()
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    calls_.clear();
    packets_.clear();
}
