#include "platform/netconnection.h"

#include "platform/errors.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <httplib.h>

#include <chrono>

namespace {

const QString kInvalidReply = QStringLiteral("Resposta inválida do servidor de aplicação.");

// One client per call: the connection closes after the reply, so a restarted server is
// reached again by the next call.
httplib::Client MakeClient(const QString& host, int port, int connectMs, int readMs)
{
    httplib::Client client(host.toStdString(), port);
    client.set_connection_timeout(connectMs / 1000, (connectMs % 1000) * 1000);
    client.set_read_timeout(readMs / 1000, (readMs % 1000) * 1000);
    client.set_write_timeout(readMs / 1000, (readMs % 1000) * 1000);
    client.set_keep_alive(false);
    return client;
}

QString SecondsText(int ms)
{
    const QString number = ms % 1000 == 0 ? QString::number(ms / 1000) : FloatToStr(ms / 1000.0);
    return ms == 1000 ? QStringLiteral("1 segundo") : number + QStringLiteral(" segundos");
}

[[noreturn]] void ThrowInvalidReply(const QString& detail = QString())
{
    throw ENetConnectionError(detail.isEmpty() ? kInvalidReply : kInvalidReply + QLatin1Char(' ') + detail);
}

QString HttpStatusMessage(int status)
{
    switch (status) {
    case 401:
    case 403:
        return QStringLiteral("O servidor de aplicação recusou o acesso (HTTP %1). Verifique o token de acesso da sessão.")
            .arg(status);
    case 404:
        return QStringLiteral("O servidor de aplicação não oferece este serviço (HTTP 404).");
    case 413:
        return QStringLiteral("A chamada é maior do que o servidor de aplicação aceita (HTTP 413).");
    default:
        return QStringLiteral("O servidor de aplicação respondeu com o erro HTTP %1.").arg(status);
    }
}

// A JSON-RPC error object turned into the exception the caller sees; false when the object is
// not one.
bool ThrowIfRpcError(const QJsonObject& reply)
{
    const QJsonValue errorValue = reply.value(QStringLiteral("error"));
    if (errorValue.isUndefined())
        return false;
    const QJsonObject error = errorValue.toObject();
    const QJsonValue code = error.value(QStringLiteral("code"));
    const QJsonValue message = error.value(QStringLiteral("message"));
    if (!errorValue.isObject() || !code.isDouble() || code.toInteger(0) != code.toInteger(1) || !message.isString())
        ThrowInvalidReply();
    QString text = message.toString();
    if (text.trimmed().isEmpty())
        text = QStringLiteral("O servidor de aplicação recusou a chamada (código %1).").arg(code.toInteger());
    throw EServerError(int(code.toInteger()), text);
}

bool IsJsonRpcReply(const QJsonObject& reply)
{
    return reply.value(QStringLiteral("jsonrpc")).toString() == QLatin1String("2.0");
}

}   // namespace

TNetConnection::TNetConnection(QObject* parent) : QObject(parent) {}

void TNetConnection::Open()
{
    if (connected_)
        return;
    if (BeforeConnect)
        BeforeConnect(this);
    if (ThrowException)
        ProbeServer();
    connected_ = true;
}

void TNetConnection::Close()
{
    connected_ = false;
}

QString TNetConnection::Address() const
{
    return QStringLiteral("%1:%2").arg(Host).arg(Port);
}

void TNetConnection::CheckAddress() const
{
    if (Host.trimmed().isEmpty())
        throw ENetConnectionError(QStringLiteral("O endereço do servidor de aplicação não foi informado."));
    if (Port <= 0 || Port > 65535)
        throw ENetConnectionError(QStringLiteral("A porta do servidor de aplicação (%1) não é válida.").arg(Port));
}

void TNetConnection::ProbeServer() const
{
    CheckAddress();
    httplib::Client client = MakeClient(Host, Port, ConnectTimeout(), ReadTimeout());
    // Any HTTP answer shows that the server is there; only a failed connection counts.
    const auto result = client.Head(("/" + ServerName).toStdString());
    if (!result && (result.error() == httplib::Error::Connection || result.error() == httplib::Error::ConnectionTimeout))
        throw ENetConnectionError(
            QStringLiteral("Não foi possível conectar ao servidor de aplicação em %1.").arg(Address()));
}

TVariant TNetConnection::Call(const QString& method, QList<TVariant>& args)
{
    if (!connected_)
        Open();
    CheckAddress();

    const qint64 id = nextId_++;
    QJsonArray params;
    for (const TVariant& arg : args)
        params.append(arg.ToJson());
    const QJsonObject request{{QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
                              {QStringLiteral("id"), id},
                              {QStringLiteral("method"), method},
                              {QStringLiteral("params"), params}};
    const std::string body = QJsonDocument(request).toJson(QJsonDocument::Compact).toStdString();

    httplib::Client client = MakeClient(Host, Port, ConnectTimeout(), ReadTimeout());
    httplib::Headers headers;
    if (!AccessToken.isEmpty())
        headers.emplace("Authorization", ("Bearer " + AccessToken).toStdString());

    const auto started = std::chrono::steady_clock::now();
    const auto result = client.Post(("/" + ServerName).toStdString(), headers, body, "application/json");
    if (!result) {
        const auto error = result.error();
        if (error == httplib::Error::Connection || error == httplib::Error::ConnectionTimeout)
            throw ENetConnectionError(
                QStringLiteral("Não foi possível conectar ao servidor de aplicação em %1.").arg(Address()));
        // A read that ends by itself before the time-out means the server closed the connection.
        const auto elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now() - started).count();
        if ((error == httplib::Error::Read || error == httplib::Error::Write) && elapsedMs + 50 >= ReadTimeout())
            throw ENetConnectionError(
                QStringLiteral("O servidor de aplicação não respondeu em %1.").arg(SecondsText(ReadTimeout())));
        throw ENetConnectionError(
            QStringLiteral("A conexão com o servidor de aplicação em %1 foi interrompida antes da resposta.")
                .arg(Address()));
    }

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(result->body), &parseError);
    const bool isObject = parseError.error == QJsonParseError::NoError && document.isObject();
    const QJsonObject reply = document.object();
    if (result->status != 200) {
        // An HTTP error may carry the server's JSON-RPC error, whose text says more.
        if (isObject && IsJsonRpcReply(reply))
            ThrowIfRpcError(reply);
        throw ENetConnectionError(HttpStatusMessage(result->status));
    }
    if (!isObject || !IsJsonRpcReply(reply))
        ThrowInvalidReply();
    if (reply.contains(QStringLiteral("result")) == reply.contains(QStringLiteral("error")))
        ThrowInvalidReply();
    // An error the server could not tie to a request carries a null id; its text still helps.
    const QJsonValue replyId = reply.value(QStringLiteral("id"));
    const bool sameId = replyId.isDouble() && replyId.toInteger(0) == id && replyId.toInteger(1) == id;
    if (!sameId && !(replyId.isNull() && reply.contains(QStringLiteral("error"))))
        ThrowInvalidReply();
    ThrowIfRpcError(reply);

    const QJsonValue resultValue = reply.value(QStringLiteral("result"));
    if (!resultValue.isObject() || !resultValue.toObject().contains(QStringLiteral("value")))
        ThrowInvalidReply();
    const QJsonObject resultObject = resultValue.toObject();
    TVariant value;
    QList<QPair<int, QString>> writeBack;
    try {
        value = TVariant::FromJson(resultObject.value(QStringLiteral("value")));
        const QJsonValue byRefValue = resultObject.value(QStringLiteral("byRef"));
        if (!byRefValue.isUndefined() && !byRefValue.isObject())
            ThrowInvalidReply();
        const QJsonObject byRef = byRefValue.toObject();
        for (auto it = byRef.begin(); it != byRef.end(); ++it) {
            bool isIndex = false;
            const int index = it.key().toInt(&isIndex);
            if (!isIndex || index < 0 || index >= args.size() || !args[index].IsByRef())
                ThrowInvalidReply(QStringLiteral("O argumento %1 não foi enviado por referência.").arg(it.key()));
            const TVariant written = TVariant::FromJson(it.value());
            if (written.kind() != TVariant::Kind::String)
                ThrowInvalidReply(QStringLiteral("O argumento %1 deve voltar como texto.").arg(index));
            writeBack.append({index, written.AsString()});
        }
    } catch (const EConvertError& e) {
        ThrowInvalidReply(e.Message());
    }
    for (const auto& [index, text] : writeBack)
        args[index] = TVariant::FromString(text, true);
    return value;
}
