#include "rpcdispatcher.h"

#include "databaseunavailable.h"
#include "invoicefilter.h"
#include "labelchange.h"
#include "labelqueries.h"
#include "replywriter.h"

#include "labels/nfetiquetafilter.h"
#include "labels/setetiquetaerror.h"

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
    if (flag == QLatin1String(kNfEtiquetaFlagTodos))
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

// {"type": "array", "value": [{"type": "packet", "value": <packet>}, ...]}, one packet per writer.
template <typename... WritePacket>
void WritePackets(TReplyWriter& w, WritePacket&&... packets)
{
    w.BeginObject();
    w.Key("type");
    w.Text(std::string_view("array"));
    w.Key("value");
    w.BeginArray();
    auto one = [&w](auto&& write) {
        w.BeginObject();
        w.Key("type");
        w.Text(std::string_view("packet"));
        w.Key("value");
        write();
        w.EndObject();
    };
    (one(packets), ...);
    w.EndArray();
    w.EndObject();
}

// The reply of GetNFEtiqueta: [invoice packet], from the eleven filter arguments.
QByteArray GetNFEtiqueta(TDatabase& db, const QJsonValue& id, const QList<TVariant>& args)
{
    const QString m = QStringLiteral("GetNFEtiqueta");
    if (args.size() != NfEtiquetaArgCount)
        throw TRpcError{-32602, QStringLiteral("GetNFEtiqueta recebe %1 argumentos; chegaram %2.")
                                    .arg(int(NfEtiquetaArgCount)).arg(args.size())};
    QString text[NfEtiquetaArgCount];
    for (int i : {ArgListaFilial, ArgFilialTodos, ArgListaFornecedor, ArgFornecedorTodos, ArgNumIni, ArgNumFin,
                  ArgDatasVazias, ArgNumerosVazios, ArgCodBarras})
        text[i] = TextArg(args, i, m);
    TInvoiceFilter filter;
    filter.branches = KeyList(text[ArgListaFilial], text[ArgFilialTodos].trimmed(), ArgListaFilial);
    filter.suppliers = KeyList(text[ArgListaFornecedor], text[ArgFornecedorTodos].trimmed(), ArgListaFornecedor);
    // Under the date flag the dates are whatever the empty date edits hold: not read at all.
    if (text[ArgDatasVazias].trimmed() != QLatin1String(kNfEtiquetaFlagTodos)) {
        filter.firstDay = DateArg(args, ArgDtIni, m);
        filter.lastDay = DateArg(args, ArgDtFin, m);
    } else {
        for (int i : {ArgDtIni, ArgDtFin})
            if (args[i].kind() == TVariant::Kind::String || args[i].kind() == TVariant::Kind::Array ||
                args[i].kind() == TVariant::Kind::Packet || args[i].kind() == TVariant::Kind::Boolean)
                throw TRpcError{-32602, QStringLiteral("O %1 deve ser uma data.").arg(ArgName(m, i))};
    }
    if (text[ArgNumerosVazios].trimmed() != QLatin1String(kNfEtiquetaFlagTodos)) {
        filter.firstNumber = TInvoiceFilter::TenDigits(text[ArgNumIni]);
        filter.lastNumber = TInvoiceFilter::TenDigits(text[ArgNumFin]);
    }
    filter.barcode = text[ArgCodBarras].trimmed();
    return ResultReply(id, args, [&](TReplyWriter& w) {
        WritePackets(w, [&] { TLabelQueries(db).WriteInvoices(w, filter); });
    });
}

// The reply of GetProduto: [item packet, label packet] of the invoice (branch, entry number).
QByteArray GetProduto(TDatabase& db, const QJsonValue& id, const QList<TVariant>& args)
{
    const QString m = QStringLiteral("GetProduto");
    if (args.size() != 2)
        throw TRpcError{-32602, QStringLiteral("GetProduto recebe 2 argumentos; chegaram %1.").arg(args.size())};
    for (int i = 0; i < 2; ++i)
        if (args[i].kind() != TVariant::Kind::String)
            throw TRpcError{-32602, QStringLiteral("O %1 deve ser um texto.").arg(ArgName(m, i))};
    TLabelQueries queries(db);
    const QString branch = args[0].AsString().trimmed(), entry = args[1].AsString().trimmed();
    return ResultReply(id, args, [&](TReplyWriter& w) {
        WritePackets(w, [&] { queries.WriteItems(w, branch, entry); },
                     [&] { queries.WriteLabels(w, branch, entry); });
    });
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

// A request that passed the JSON-RPC checks: its id, method and decoded arguments.
struct TRequest {
    QJsonValue id = QJsonValue::Null;
    QString method;
    QList<TVariant> args;
};

// The body as a JSON object, or the parse error (-32700) or "not a request" (-32600).
QJsonObject ParseRequestObject(const QByteArray& body)
{
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
    return doc.object();
}

// The request's id: a number, a text or null; a request without one is a notification.
QJsonValue RequestId(const QJsonObject& request)
{
    if (!request.contains(QStringLiteral("id")))
        throw TRpcError{-32600, QStringLiteral("A requisição não tem id; notificações não são atendidas.")};
    const QJsonValue candidate = request.value(QStringLiteral("id"));
    if (!candidate.isString() && !candidate.isDouble() && !candidate.isNull())
        throw TRpcError{-32600, QStringLiteral("O id da requisição deve ser um número, um texto ou nulo.")};
    return candidate;
}

bool KnownMethod(const QString& name)
{
    return name == QLatin1String("GetNFEtiqueta") || name == QLatin1String("GetProduto") ||
           name == QLatin1String("setEtiqueta");
}

// The tagged arguments, each refused with its position when it holds a NUL or is no tagged value.
QList<TVariant> ReadArgs(const QJsonArray& list, const QString& method)
{
    QList<TVariant> args;
    for (int i = 0; i < list.size(); ++i) {
        if (HoldsNul(list[i]))
            throw TRpcError{-32602, QStringLiteral("O %1 contém um caractere nulo, que não é aceito.").arg(ArgName(method, i))};
        try {
            args << TVariant::FromJson(list[i]);
        } catch (const Exception& e) {
            throw TRpcError{-32602, QStringLiteral("O %1 não é um valor válido: %2").arg(ArgName(method, i), e.Message())};
        }
    }
    return args;
}

// Checks the request step by step; `shownMethod` gets the method's name for the log as soon as
// it is known, also when a later check refuses the request. `id` likewise.
TRequest ReadRequest(const QByteArray& body, QJsonValue& id, QString& shownMethod)
{
    const QJsonObject request = ParseRequestObject(body);
    id = RequestId(request);
    if (request.value(QStringLiteral("jsonrpc")) != QJsonValue(QStringLiteral("2.0")))
        throw TRpcError{-32600, QStringLiteral("A requisição não é JSON-RPC 2.0 (\"jsonrpc\" deve ser \"2.0\").")};
    const QJsonValue method = request.value(QStringLiteral("method"));
    if (!method.isString())
        throw TRpcError{-32600, QStringLiteral("A requisição não informa o método.")};
    shownMethod = ShownMethodName(method.toString());
    const QJsonValue params = request.value(QStringLiteral("params"));
    if (!params.isUndefined() && !params.isArray()) {
        if (params.isObject())
            throw TRpcError{-32602, QStringLiteral("Os argumentos devem vir em uma lista, na ordem do método.")};
        throw TRpcError{-32600, QStringLiteral("\"params\" deve ser uma lista de argumentos.")};
    }
    const QString name = method.toString();
    if (!KnownMethod(name))
        throw TRpcError{-32601, QStringLiteral("Método desconhecido: %1.").arg(shownMethod)};
    return TRequest{id, name, ReadArgs(params.toArray(), name)};
}

// Runs a read. A read whose connection went away (the database server restarted since this
// thread's last call) is tried once more on a new connection. Changes are not: a commit whose
// answer was lost may have been applied.
template <typename Read>
QByteArray RetriedRead(TDatabase& db, Read&& read)
{
    for (int attempt = 0;; ++attempt) {
        try {
            return read();
        } catch (const EDatabaseUnavailable& e) {
            if (!e.connectionLost || attempt > 0)
                throw;
            db.Discard();
        }
    }
}

} // namespace

QByteArray TRpcDispatcher::ErrorBody(const QJsonValue& id, int code, const QString& message)
{
    return ErrorReply(id, code, message);
}

TRpcDispatcher::TReply TRpcDispatcher::Handle(const QByteArray& body, const QString& clientAddress)
{
    TReply reply;
    reply.method = QStringLiteral("-");
    QJsonValue id = QJsonValue::Null;
    try {
        const TRequest request = ReadRequest(body, id, reply.method);
        reply.outcome = QStringLiteral("ok");
        if (request.method == QLatin1String("setEtiqueta")) {
            const TVariant value = SetEtiqueta(database_, request.args, clientAddress);
            reply.body = ResultReply(request.id, request.args, [&](TReplyWriter& w) { w.Variant(value); });
            if (value.AsString().contains(QLatin1String(kSetEtiquetaErrorMarker)))
                reply.outcome = QStringLiteral("recusado");
        } else if (request.method == QLatin1String("GetNFEtiqueta")) {
            reply.body = RetriedRead(database_, [&] { return GetNFEtiqueta(database_, request.id, request.args); });
        } else {
            reply.body = RetriedRead(database_, [&] { return GetProduto(database_, request.id, request.args); });
        }
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
