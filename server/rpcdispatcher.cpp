#include "rpcdispatcher.h"

#include "databaseunavailable.h"
#include "invoicefilter.h"
#include "labelchange.h"
#include "labelqueries.h"

#include "platform/packet.h"
#include "platform/variant.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

// A request that cannot be answered normally: the JSON-RPC error code and the user's message.
struct TRpcError {
    int code;
    QString message;
};

constexpr int MaxKeys = 1000;

QString ArgName(const QString& method, int index)
{
    return QStringLiteral("argumento %1 de %2").arg(index + 1).arg(method);
}

QString TextArg(const QList<TVariant>& args, int index, const QString& method)
{
    const TVariant& v = args[index];
    if (v.IsNull())
        return QString();
    if (v.kind() != TVariant::Kind::String)
        throw TRpcError{-32602, QStringLiteral("O %1 deve ser um texto.").arg(ArgName(method, index))};
    return v.AsString();
}

QDate DateArg(const QList<TVariant>& args, int index, const QString& method)
{
    const TVariant& v = args[index];
    if (v.IsNull())
        return QDate();
    double day = 0;
    switch (v.kind()) {
    case TVariant::Kind::Date: day = v.AsDate(); break;
    case TVariant::Kind::Double: day = v.AsDouble(); break;
    case TVariant::Kind::Integer: day = double(v.AsInteger()); break;
    default:
        throw TRpcError{-32602, QStringLiteral("O %1 deve ser uma data.").arg(ArgName(method, index))};
    }
    // Day numbers count from 1899-12-30; anything outside years 100..9999 is no date a user typed.
    if (!std::isfinite(day) || day < -657434 || day > 2958465)
        throw TRpcError{-32602, QStringLiteral("O %1 não é uma data válida.").arg(ArgName(method, index))};
    return QDate(1899, 12, 30).addDays(qint64(std::floor(day)));
}

QStringList KeyList(const QString& text, const QString& flag, int index)
{
    if (flag == QLatin1String("T"))
        return {};
    const QStringList keys = TInvoiceFilter::ParseKeyList(text);
    if (keys.size() > MaxKeys)
        throw TRpcError{-32602, QStringLiteral("O %1 tem mais de %2 chaves.")
                                    .arg(ArgName(QStringLiteral("GetNFEtiqueta"), index)).arg(MaxKeys)};
    return keys;
}

// The method's name as the log line and the error message show it: at most 64 characters, each
// blank or unprintable one as '?', so that a request cannot break or forge a log line, and "-"
// for an empty name.
QString ShownMethodName(const QString& name)
{
    QString shown = name.left(64);
    for (QChar& c : shown)
        if (c.isSpace() || !c.isPrint())
            c = QLatin1Char('?');
    return shown.isEmpty() ? QStringLiteral("-") : shown;
}

// True when a text anywhere in the value (a string, a key, a packet's row) holds a NUL character:
// no field of the label module can hold one, and the databases would cut the text short there.
bool HoldsNul(const QJsonValue& value)
{
    if (value.isString())
        return value.toString().contains(QChar(0));
    if (value.isArray()) {
        for (const QJsonValue& v : value.toArray())
            if (HoldsNul(v))
                return true;
    } else if (value.isObject()) {
        const QJsonObject o = value.toObject();
        for (auto it = o.begin(); it != o.end(); ++it)
            if (it.key().contains(QChar(0)) || HoldsNul(it.value()))
                return true;
    }
    return false;
}

QJsonObject ByRef(const QList<TVariant>& args)
{
    QJsonObject byRef;
    for (int i = 0; i < args.size(); ++i)
        if (args[i].IsByRef())
            byRef.insert(QString::number(i), args[i].ToJson());
    return byRef;
}

TVariant GetNFEtiqueta(TDatabase& db, const QList<TVariant>& args)
{
    const QString m = QStringLiteral("GetNFEtiqueta");
    if (args.size() != 11)
        throw TRpcError{-32602, QStringLiteral("GetNFEtiqueta recebe 11 argumentos; chegaram %1.").arg(args.size())};
    QString text[11];
    for (int i : {0, 1, 2, 3, 6, 7, 8, 9, 10})
        text[i] = TextArg(args, i, m);
    TInvoiceFilter filter;
    filter.branches = KeyList(text[0], text[1].trimmed(), 0);
    filter.suppliers = KeyList(text[2], text[3].trimmed(), 2);
    // Under the date flag the dates are whatever the empty date edits hold: not read at all.
    if (text[8].trimmed() != QLatin1String("T")) {
        filter.firstDay = DateArg(args, 4, m);
        filter.lastDay = DateArg(args, 5, m);
    } else {
        for (int i : {4, 5})
            if (args[i].kind() == TVariant::Kind::String || args[i].kind() == TVariant::Kind::Array ||
                args[i].kind() == TVariant::Kind::Packet || args[i].kind() == TVariant::Kind::Boolean)
                throw TRpcError{-32602, QStringLiteral("O %1 deve ser uma data.").arg(ArgName(m, i))};
    }
    if (text[9].trimmed() != QLatin1String("T")) {
        filter.firstNumber = TInvoiceFilter::TenDigits(text[6]);
        filter.lastNumber = TInvoiceFilter::TenDigits(text[7]);
    }
    filter.barcode = text[10].trimmed();
    const TDataPacket invoices = TLabelQueries(db).Invoices(filter);
    return TVariant::FromArray({TVariant::FromPacket(DataPacketToJson(invoices))});
}

TVariant GetProduto(TDatabase& db, const QList<TVariant>& args)
{
    const QString m = QStringLiteral("GetProduto");
    if (args.size() != 2)
        throw TRpcError{-32602, QStringLiteral("GetProduto recebe 2 argumentos; chegaram %1.").arg(args.size())};
    for (int i = 0; i < 2; ++i)
        if (args[i].kind() != TVariant::Kind::String)
            throw TRpcError{-32602, QStringLiteral("O %1 deve ser um texto.").arg(ArgName(m, i))};
    TLabelQueries queries(db);
    const QString branch = args[0].AsString().trimmed(), entry = args[1].AsString().trimmed();
    return TVariant::FromArray({TVariant::FromPacket(DataPacketToJson(queries.Items(branch, entry))),
                                TVariant::FromPacket(DataPacketToJson(queries.Labels(branch, entry)))});
}

TVariant SetEtiqueta(TDatabase& db, const QList<TVariant>& args, const QString& client)
{
    if (args.size() != 1)
        throw TRpcError{-32602, QStringLiteral("setEtiqueta recebe 1 argumento; chegaram %1.").arg(args.size())};
    if (args[0].kind() != TVariant::Kind::Packet)
        throw TRpcError{-32602, QStringLiteral("O argumento 1 de setEtiqueta deve ser um pacote de alterações.")};
    TChangePacket packet;
    try {
        packet = ChangePacketFromJson(args[0].AsPacket());
    } catch (const EDatabaseError& e) {
        throw TRpcError{-32602, QStringLiteral("O argumento 1 de setEtiqueta não é um pacote de alterações válido: %1")
                                    .arg(e.Message())};
    }
    return TVariant::FromString(TLabelChange(db).Apply(packet, client));
}

QByteArray ResultBody(const QJsonValue& id, const TVariant& value, const QJsonObject& byRef)
{
    QJsonObject result{{QStringLiteral("value"), value.ToJson()}, {QStringLiteral("byRef"), byRef}};
    QJsonObject reply{{QStringLiteral("jsonrpc"), QStringLiteral("2.0")}, {QStringLiteral("id"), id},
                      {QStringLiteral("result"), result}};
    return QJsonDocument(reply).toJson(QJsonDocument::Compact);
}

} // namespace

QByteArray TRpcDispatcher::ErrorBody(const QJsonValue& id, int code, const QString& message)
{
    QJsonObject error{{QStringLiteral("code"), code}, {QStringLiteral("message"), message}};
    QJsonObject reply{{QStringLiteral("jsonrpc"), QStringLiteral("2.0")}, {QStringLiteral("id"), id},
                      {QStringLiteral("error"), error}};
    return QJsonDocument(reply).toJson(QJsonDocument::Compact);
}

TRpcDispatcher::TReply TRpcDispatcher::Handle(const QByteArray& body, const QString& clientAddress)
{
    TReply reply;
    reply.method = QStringLiteral("-");
    QJsonValue id = QJsonValue::Null;
    try {
        QJsonParseError parseError;
        const QJsonDocument doc = QJsonDocument::fromJson(body, &parseError);
        if (parseError.error != QJsonParseError::NoError) {
            // A lone JSON scalar is JSON, only not a request object.
            QJsonParseError wrapped;
            QJsonDocument::fromJson("[" + body + "]", &wrapped);
            if (wrapped.error == QJsonParseError::NoError && !body.trimmed().isEmpty())
                throw TRpcError{-32600, QStringLiteral("A requisição deve ser um objeto JSON-RPC 2.0.")};
            throw TRpcError{-32700, QStringLiteral("O corpo da requisição não é JSON válido (%1, posição %2).")
                                        .arg(parseError.errorString()).arg(parseError.offset)};
        }
        if (!doc.isObject())
            throw TRpcError{-32600, QStringLiteral("A requisição deve ser um objeto JSON-RPC 2.0.")};
        const QJsonObject request = doc.object();
        if (request.contains(QStringLiteral("id"))) {
            const QJsonValue candidate = request.value(QStringLiteral("id"));
            if (candidate.isString() || candidate.isDouble() || candidate.isNull())
                id = candidate;
            else
                throw TRpcError{-32600, QStringLiteral("O id da requisição deve ser um número, um texto ou nulo.")};
        } else {
            throw TRpcError{-32600, QStringLiteral("A requisição não tem id; notificações não são atendidas.")};
        }
        if (request.value(QStringLiteral("jsonrpc")) != QJsonValue(QStringLiteral("2.0")))
            throw TRpcError{-32600, QStringLiteral("A requisição não é JSON-RPC 2.0 (\"jsonrpc\" deve ser \"2.0\").")};
        const QJsonValue method = request.value(QStringLiteral("method"));
        if (!method.isString())
            throw TRpcError{-32600, QStringLiteral("A requisição não informa o método.")};
        reply.method = ShownMethodName(method.toString());
        const QJsonValue params = request.value(QStringLiteral("params"));
        if (!params.isUndefined() && !params.isArray()) {
            if (params.isObject())
                throw TRpcError{-32602, QStringLiteral("Os argumentos devem vir em uma lista, na ordem do método.")};
            throw TRpcError{-32600, QStringLiteral("\"params\" deve ser uma lista de argumentos.")};
        }
        const QString name = method.toString();
        if (name != QLatin1String("GetNFEtiqueta") && name != QLatin1String("GetProduto") &&
            name != QLatin1String("setEtiqueta"))
            throw TRpcError{-32601, QStringLiteral("Método desconhecido: %1.").arg(reply.method)};

        QList<TVariant> args;
        const QJsonArray list = params.toArray();
        for (int i = 0; i < list.size(); ++i) {
            if (HoldsNul(list[i]))
                throw TRpcError{-32602, QStringLiteral("O %1 contém um caractere nulo, que não é aceito.").arg(ArgName(name, i))};
            try {
                args << TVariant::FromJson(list[i]);
            } catch (const Exception& e) {
                throw TRpcError{-32602, QStringLiteral("O %1 não é um valor válido: %2").arg(ArgName(name, i), e.Message())};
            }
        }
        TVariant value;
        if (name == QLatin1String("setEtiqueta")) {
            value = SetEtiqueta(database_, args, clientAddress);
        } else {
            // A read whose connection went away (the database server restarted since this
            // thread's last call) is tried once more on a new connection. Changes are not:
            // a commit whose answer was lost may have been applied.
            for (int attempt = 0;; ++attempt) {
                try {
                    value = name == QLatin1String("GetNFEtiqueta") ? GetNFEtiqueta(database_, args)
                                                                   : GetProduto(database_, args);
                    break;
                } catch (const EDatabaseUnavailable& e) {
                    if (!e.connectionLost || attempt > 0)
                        throw;
                    database_.Discard();
                }
            }
        }
        reply.body = ResultBody(id, value, ByRef(args));
        reply.outcome = value.kind() == TVariant::Kind::String && value.AsString().contains(QLatin1String("Erro: "))
                            ? QStringLiteral("recusado")
                            : QStringLiteral("ok");
        return reply;
    } catch (const TRpcError& e) {
        reply.body = ErrorBody(id, e.code, e.message);
        reply.outcome = QStringLiteral("erro %1").arg(e.code);
    } catch (const EDatabaseUnavailable& e) {
        database_.Discard();
        reply.body = ErrorBody(id, -32000, e.Message());
        reply.outcome = QStringLiteral("erro -32000 (%1)").arg(e.Message());
    } catch (const Exception& e) {
        reply.body = ErrorBody(id, -32000, QStringLiteral("Falha no servidor: %1").arg(e.Message()));
        reply.outcome = QStringLiteral("erro -32000 (%1)").arg(e.Message());
    } catch (const std::exception& e) {
        reply.body = ErrorBody(id, -32000, QStringLiteral("Falha interna do servidor."));
        reply.outcome = QStringLiteral("erro -32000 (%1)").arg(QString::fromLocal8Bit(e.what()));
    }
    return reply;
}
