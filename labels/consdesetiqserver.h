#pragma once
// The label application server "Est99000.rdmConsDesEtiq" as the label screens call it:
// the invoice search GetNFEtiqueta, the item and label read GetProduto and the label change
// setEtiqueta, each a synchronous call on the given connection, framed by the progress
// animation (begun before the call, ended after it, also when it fails).
//
// Errors: transport and protocol failures come through as the connection raises them
// (ENetConnectionError, EServerError); a reply of the wrong shape (a setEtiqueta reply that is
// not a text included) raises EConvertError or EDatabaseError whose message starts with
// "Resposta inválida do servidor de aplicação."; a setEtiqueta reply carrying "Erro: " raises
// ESetEtiquetaError. A record set
// a call was to fill keeps its rows when the call fails: the whole reply is decoded and checked
// before any set is loaded. Nothing is retried.

#include "labels/callprogress.h"
#include "platform/clientdataset.h"
#include "platform/netconnection.h"
#include "platform/packet.h"
#include "platform/variant.h"

#include <QJsonObject>
#include <QList>
#include <QString>

// The server object of the label screens' connection.
inline constexpr const char* kConsDesEtiqServerName = "Est99000.rdmConsDesEtiq";

class TConsDesEtiqServer {
public:
    TConsDesEtiqServer(TNetConnection& connection, TCallProgress& progress);

    // Calls GetNFEtiqueta with the eleven arguments (built by GetNFEtiquetaArgs) and loads
    // element 0 of the reply into the invoice set. The texts the server writes back into the
    // by-reference arguments are left in `args`.
    void GetNFEtiqueta(QList<TVariant>& args, TClientDataSet& notaFiscal);

    // Calls GetProduto with the invoice's key, loads element 0 into the item set and element 1
    // into the label set, and returns the label packet so that the caller can load the same
    // rows into the grouping buffer.
    TDataPacket GetProduto(const QString& cdFilial, const QString& nrLanctoNf,
                           TClientDataSet& items, TClientDataSet& labels);

    // Sends a change packet through setEtiqueta and returns the reply as text (empty: success;
    // any other text without "Erro: " is success too). ESetEtiquetaError when the server
    // refused the change.
    QString SetEtiqueta(const QJsonObject& changePacket);

    // The setEtiqueta reply check: a text containing "Erro: " (exact letter case) raises
    // ESetEtiquetaError with every "Erro: " removed; any other text is returned unchanged.
    static QString CheckSetEtiquetaReply(const QString& reply);

private:
    TNetConnection& connection_;
    TCallProgress& progress_;
};
