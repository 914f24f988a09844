#pragma once
// TFakeLabelServer: a label application server inside the test process, on a loopback port
// chosen at run time, for screen tests that need replies the reference server would not give (a
// rejected change, a transport fault, odd data).
//
// GetNFEtiqueta answers the invoices it holds and hands back its by-reference arguments (with
// the texts a test set for them). GetProduto answers the items and labels held for the invoice
// asked for (SetItems), else the pair held for any invoice (SetItemsAndLabels), else two empty
// packets. setEtiqueta answers the next reply of the script (ScriptSetEtiqueta, front first),
// then the standing reply (SetEtiquetaReply, empty, that is success, by default); a change it
// accepts is applied to the labels held for any invoice as the real server would (the source
// label inactive, the new labels listed). A method made to fail, or any other method, answers a
// JSON-RPC error. Every call is kept. The test thread sets the data; the server thread reads it,
// all under one lock.

#include "platform/packet.h"
#include "platform/variant.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

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
    void SetInvoices(const QJsonObject& invoices);
    void SetItems(const QString& cdFilial, const QString& nrLanctoNf, const TDataPacket& items,
                  const TDataPacket& labels);
    void SetItemsAndLabels(const QJsonObject& items, const QJsonObject& labels);
    // The text setEtiqueta answers once the script is used up; `then` runs (on the server thread)
    // after the reply is chosen, so that a test can change what the next GetProduto returns.
    void SetEtiquetaReply(const QString& reply, std::function<void(TFakeLabelServer&)> then = {});
    void ScriptSetEtiqueta(const QStringList& replies);
    // The text GetNFEtiqueta leaves in its by-reference argument `index` (zero-based).
    void SetNFEtiquetaByRef(int index, const QString& text);
    // The next calls of this method answer a JSON-RPC error instead.
    void FailMethod(const QString& method, const QString& message);

    QList<TFakeCall> Calls() const;
    QList<TFakeCall> Calls(const QString& method) const;
    QStringList Methods() const;              // every method called, in order
    int Count(const QString& method) const;
    QList<QJsonObject> ChangePackets() const; // the setEtiqueta arguments, in order
    void ClearCalls();

private:
    QJsonObject Answer(const QString& method, const QJsonArray& params);
    QJsonObject AnswerSetEtiqueta(const QJsonArray& params);

    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    mutable std::recursive_mutex mutex_;
    QJsonObject invoices_;
    QMap<QString, QPair<QJsonObject, QJsonObject>> items_;
    QJsonObject anyItems_, anyLabels_;
    QStringList script_;
    QString setReply_;
    QJsonObject nfByRef_;
    std::function<void(TFakeLabelServer&)> afterSet_;
    QMap<QString, QString> failures_;
    QList<TFakeCall> calls_;
    QList<QJsonObject> packets_;
};
