#pragma once
// TFakeLabelServer: a label application server on a loopback port chosen at run time, for
// screen tests that need replies the reference server would not give (a rejected change, a
// transport fault, odd data). It answers GetNFEtiqueta with the invoices it holds, GetProduto
// with the items and labels it holds for the invoice asked for, and setEtiqueta with the reply
// the test sets (empty by default), and keeps every call it received. The test thread sets the
// data; the server thread only reads it, under a lock.

#include "platform/packet.h"
#include "platform/variant.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace httplib {
class Server;
}

struct TFakeCall {
    QString method;
    QList<TVariant> params;
};

class TFakeLabelServer {
public:
    TFakeLabelServer();
    ~TFakeLabelServer();
    TFakeLabelServer(const TFakeLabelServer&) = delete;
    TFakeLabelServer& operator=(const TFakeLabelServer&) = delete;

    int Port() const { return port_; }

    void SetInvoices(const TDataPacket& invoices);
    void SetItems(const QString& cdFilial, const QString& nrLanctoNf, const TDataPacket& items,
                  const TDataPacket& labels);
    // The text setEtiqueta answers; `then` runs (on the server thread) after the reply is chosen,
    // so that a test can change what the next GetProduto returns.
    void SetEtiquetaReply(const QString& reply, std::function<void(TFakeLabelServer&)> then = {});
    // The text GetNFEtiqueta leaves in its by-reference argument `index` (zero-based).
    void SetNFEtiquetaByRef(int index, const QString& text);
    // The next calls of this method answer a JSON-RPC error instead.
    void FailMethod(const QString& method, const QString& message);

    QList<TFakeCall> Calls() const;
    QList<TFakeCall> Calls(const QString& method) const;
    QStringList Methods() const;
    void ClearCalls();

private:
    QJsonObject Answer(const QString& method, const QJsonArray& params);

    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    mutable std::recursive_mutex mutex_;
    QJsonObject invoices_;
    QMap<QString, QPair<QJsonObject, QJsonObject>> items_;
    QString setReply_;
    QJsonObject nfByRef_;
    std::function<void(TFakeLabelServer&)> afterSet_;
    QMap<QString, QString> failures_;
    QList<TFakeCall> calls_;
};
