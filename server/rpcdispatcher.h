#pragma once
// The JSON-RPC side of the server object "Est99000.rdmConsDesEtiq": reads one request body,
// checks it (JSON, JSON-RPC 2.0 request, known method, number and kinds of the tagged arguments),
// runs GetNFEtiqueta, GetProduto or setEtiqueta and returns the reply body. It never throws:
// every failure becomes a JSON-RPC error (-32700, -32600, -32601, -32602, -32000) whose message
// tells the user what happened, in Portuguese. A database failure also drops the calling
// thread's connection, so the next call reconnects.

#include "database.h"

#include <QByteArray>
#include <QJsonValue>
#include <QString>

class TRpcDispatcher {
public:
    explicit TRpcDispatcher(TDatabase& database) : database_(database) {}

    struct TReply {
        QByteArray body;
        QString method;    // for the log; "-" when the request named none
        QString outcome;   // "ok", "recusado" (setEtiqueta answered "Erro: ...") or "erro <code>"
    };

    TReply Handle(const QByteArray& body, const QString& clientAddress);

    static QByteArray ErrorBody(const QJsonValue& id, int code, const QString& message);

private:
    TDatabase& database_;
};
