#pragma once
// A label application server inside the test process, on a loopback port chosen at run time.
// It answers GetNFEtiqueta and GetProduto from the packets a test gives it and setEtiqueta from
// a script of replies (front first; the empty reply, success, once the script is used up), and
// keeps every change packet it received. A split it accepts changes the labels it serves from
// then on: the source label becomes inactive and the new labels are listed. Any other method is
// a JSON-RPC error. Safe to read from the test thread while the server thread answers.

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>
#include <thread>

namespace httplib {
class Server;
struct Request;
struct Response;
}

class TFakeLabelServer {
public:
    TFakeLabelServer();
    ~TFakeLabelServer();
    TFakeLabelServer(const TFakeLabelServer&) = delete;
    TFakeLabelServer& operator=(const TFakeLabelServer&) = delete;

    int Port() const { return port_; }

    void SetInvoices(const QJsonObject& packet);
    void SetItemsAndLabels(const QJsonObject& items, const QJsonObject& labels);
    void ScriptSetEtiqueta(const QStringList& replies);

    QStringList Methods() const;          // every method called, in order
    QList<QJsonObject> ChangePackets() const;  // the setEtiqueta arguments, in order
    int Count(const QString& method) const;

private:
    void Handle(const httplib::Request& request, httplib::Response& response);

    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    mutable std::mutex mutex_;
    QJsonObject invoices_, items_, labels_;
    QStringList replies_;
    QStringList methods_;
    QList<QJsonObject> packets_;
};
