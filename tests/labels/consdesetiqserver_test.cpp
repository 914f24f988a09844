#include "labels/consdesetiqserver.h"
#include "labels/nfetiquetafilter.h"
#include "labels/recordsets.h"
#include "labels/setetiquetaerror.h"
#include "platform/errors.h"

#include <httplib.h>

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

namespace {

// An application server on a loopback port chosen at run time that answers every call with
// the body its test gives it, and keeps the requests it received.
class TCannedServer {
public:
    using TReply = std::function<QJsonObject(const QJsonObject& request)>;

    TCannedServer()
    {
        server_.Post(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) {
            const QJsonObject request = QJsonDocument::fromJson(QByteArray::fromStdString(req.body)).object();
            TReply reply;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                requests_.append(request);
                paths_.append(QString::fromStdString(req.path));
                reply = reply_;
            }
            QJsonObject body = reply(request);
            body.insert("jsonrpc", "2.0");
            body.insert("id", request.value("id"));
            res.set_content(QJsonDocument(body).toJson(QJsonDocument::Compact).toStdString(), "application/json");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    ~TCannedServer() { Stop(); }

    void Stop()
    {
        if (!thread_.joinable())
            return;
        server_.stop();
        thread_.join();
    }

    int Port() const { return port_; }

    void Answer(TReply reply)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        reply_ = std::move(reply);
    }

    // Every call answers with this tagged result value.
    void AnswerValue(const QJsonObject& value)
    {
        Answer([value](const QJsonObject&) {
            return QJsonObject{{"result", QJsonObject{{"value", value}, {"byRef", QJsonObject()}}}};
        });
    }

    void AnswerError(int code, const QString& message)
    {
        Answer([code, message](const QJsonObject&) {
            return QJsonObject{{"error", QJsonObject{{"code", code}, {"message", message}}}};
        });
    }

    QJsonObject LastRequest()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_.isEmpty() ? QJsonObject() : requests_.last();
    }

    QString LastPath()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return paths_.isEmpty() ? QString() : paths_.last();
    }

    int RequestCount()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return static_cast<int>(requests_.size());
    }

private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = -1;
    std::mutex mutex_;
    TReply reply_ = [](const QJsonObject&) { return QJsonObject(); };
    QList<QJsonObject> requests_;
    QStringList paths_;
};

class TRecordingProgress : public TCallProgress {
public:
    void Begin(int kind, const QString& caption) override { events << QStringLiteral("Begin %1 %2").arg(kind).arg(caption); }
    void End() override { events << QStringLiteral("End"); }
    QStringList events;
};

QJsonObject Tagged(const char* type, const QJsonValue& value)
{
    return QJsonObject{{"type", type}, {"value", value}};
}

QJsonObject Field(const char* name, const char* type, int width = 0)
{
    QJsonObject field{{"name", name}, {"type", type}};
    if (width > 0)
        field.insert("width", width);
    return field;
}

QJsonObject InvoicePacket(const QStringList& numbers)
{
    QJsonArray rows;
    for (const QString& number : numbers)
        rows.append(QJsonArray{"0001", "0000000001", "0001", number});
    return QJsonObject{{"fields", QJsonArray{Field("CDFILIAL", "string", 4), Field("NRLANCTONF", "string", 10),
                                               Field("CDFILIRECE", "string", 4), Field("NRNOTAFISC", "string", 20)}},
                       {"rows", rows}};
}

// Items as the server sends them: with the order column NRPEDEXOL after the validity date.
QJsonObject ItemPacket(const QStringList& sequences)
{
    QJsonArray rows;
    for (const QString& sequence : sequences)
        rows.append(QJsonArray{"U", "0001", "0000000001", "P1", "Produto " + sequence, 10.5, sequence,
                               "2027-01-31T00:00:00", "PED-9"});
    return QJsonObject{{"fields", QJsonArray{Field("IDCHECK", "fixedString", 1), Field("CDFILIAL", "string", 4),
                                               Field("NRLANCTONF", "string", 10), Field("CDPRODUTO", "string", 10),
                                               Field("NMPRODUTO", "string", 50), Field("QTITEMPROD", "float"),
                                               Field("NRSEQITPROD", "string", 4), Field("DTVALILOTE", "dateTime"),
                                               Field("NRPEDEXOL", "string", 20)}},
                       {"rows", rows}};
}

QJsonObject LabelPacket(const QStringList& barcodes)
{
    QJsonArray rows;
    for (const QString& barcode : barcodes)
        rows.append(QJsonArray{"U", barcode.mid(14, 4), barcode.right(5), 2.5, "A", barcode, QJsonValue()});
    return QJsonObject{{"fields", QJsonArray{Field("IDCHECK", "fixedString", 1), Field("NRSEQITPROD", "string", 4),
                                               Field("NRSEQETIQ", "string", 20), Field("VRPESOETIQ", "float"),
                                               Field("IDSTATUSETIQ", "string", 1), Field("CDCODBARRAETIQ", "string", 50),
                                               Field("NRPEDEXOL", "string", 20)}},
                       {"rows", rows}};
}

QJsonObject ArrayOfPackets(const QList<QJsonObject>& packets)
{
    QJsonArray elements;
    for (const QJsonObject& packet : packets)
        elements.append(Tagged("packet", packet));
    return Tagged("array", elements);
}

QStringList Column(TClientDataSet& set, const char* field)
{
    QStringList values;
    for (set.First(); !set.Eof(); set.Next())
        values << set.FieldByName(field)->AsString();
    return values;
}

const QString kGetDados = QStringLiteral("Begin 1 Recebendo dados do servidor...");
const QString kAtuServi = QStringLiteral("Begin 6 Atualizando servidor..");

class ConsDesEtiqServerTest : public ::testing::Test {
protected:
    ConsDesEtiqServerTest()
    {
        connection.ServerName = kConsDesEtiqServerName;
        connection.Host = "127.0.0.1";
        connection.Port = server.Port();
        connection.Open();
        DefineNotaFiscal(notaFiscal);
        notaFiscal.CreateDataSet();
        DefineProdEtiq(items);
        items.CreateDataSet();
        DefineEtiquetaConsulta(labels);
        labels.CreateDataSet();
    }

    // Loads one invoice, one item and two labels through the server, as a screen would.
    void LoadStartingRows()
    {
        server.AnswerValue(ArrayOfPackets({InvoicePacket({"NF-1"})}));
        QList<TVariant> args = GetNFEtiquetaArgs(TNfEtiquetaFilter{});
        calls.GetNFEtiqueta(args, notaFiscal);
        server.AnswerValue(ArrayOfPackets({ItemPacket({"0001"}),
                                           LabelPacket({"00010000000001000100001", "00010000000001000100002"})}));
        calls.GetProduto("0001", "0000000001", items, labels);
        progress.events.clear();
    }

    TCannedServer server;
    TNetConnection connection;
    TRecordingProgress progress;
    TConsDesEtiqServer calls{connection, progress};
    TClientDataSet notaFiscal, items, labels;
};

TEST_F(ConsDesEtiqServerTest, InvoiceSearchSendsElevenArgumentsAndLoadsElementZero)
{
    server.AnswerValue(ArrayOfPackets({InvoicePacket({"NF-20", "NF-10"})}));
    TNfEtiquetaFilter filter;
    filter.FilialTodos = true;
    filter.FornecedorTodos = true;
    filter.NumFin = "0000000123";
    QList<TVariant> args = GetNFEtiquetaArgs(filter);

    calls.GetNFEtiqueta(args, notaFiscal);

    const QJsonObject request = server.LastRequest();
    EXPECT_EQ(server.LastPath(), "/Est99000.rdmConsDesEtiq");
    EXPECT_EQ(request.value("method").toString(), "GetNFEtiqueta");
    const QJsonArray params = request.value("params").toArray();
    ASSERT_EQ(params.size(), 11);
    EXPECT_EQ(params[1].toObject().value("value").toString(), "T");
    EXPECT_TRUE(params[1].toObject().value("byRef").toBool());
    EXPECT_EQ(params[4].toObject().value("type").toString(), "date");
    EXPECT_EQ(params[6].toObject().value("value").toString(), "0000000000");
    EXPECT_EQ(params[7].toObject().value("value").toString(), "0000000123");
    EXPECT_EQ(Column(notaFiscal, "NRNOTAFISC"), QStringList({"NF-10", "NF-20"}));
    EXPECT_EQ(progress.events, QStringList({kGetDados, "End"}));
}

TEST_F(ConsDesEtiqServerTest, ItemReadLoadsItemsAndLabelsAndGivesBackTheLabelPacket)
{
    server.AnswerValue(ArrayOfPackets({ItemPacket({"0001", "0002"}),
                                       LabelPacket({"00010000000001000200001", "00010000000001000100003"})}));

    const TDataPacket labelPacket = calls.GetProduto("0001", "0000000001", items, labels);

    const QJsonArray params = server.LastRequest().value("params").toArray();
    EXPECT_EQ(params, QJsonArray({Tagged("string", "0001"), Tagged("string", "0000000001")}));
    EXPECT_EQ(Column(items, "NRSEQITPROD"), QStringList({"0001", "0002"}));
    EXPECT_EQ(items.FindField("NRPEDEXOL"), nullptr);
    EXPECT_EQ(Column(labels, "CDCODBARRAETIQ"),
              QStringList({"00010000000001000100003", "00010000000001000200001"}));
    EXPECT_EQ(labelPacket.rows.size(), 2);

    TClientDataSet aux;
    DefineAuxEtiqueta(aux);
    aux.CreateDataSet();
    aux.LoadPacket(labelPacket);
    EXPECT_EQ(aux.RecordCount(), 2);
    EXPECT_EQ(aux.ChangeCount(), 0);
    EXPECT_EQ(progress.events, QStringList({kGetDados, "End"}));
}

TEST_F(ConsDesEtiqServerTest, BadSecondElementLeavesItemsAndLabelsAsTheyWere)
{
    LoadStartingRows();
    QJsonObject badLabels = LabelPacket({"00010000000001000100009"});
    badLabels.insert("rows", QJsonArray{QJsonArray{"U", "0001"}});
    server.AnswerValue(ArrayOfPackets({ItemPacket({"0005", "0006"}), badLabels}));

    EXPECT_THROW(calls.GetProduto("0001", "0000000001", items, labels), EDatabaseError);

    EXPECT_EQ(Column(items, "NRSEQITPROD"), QStringList({"0001"}));
    EXPECT_EQ(labels.RecordCount(), 2);
    EXPECT_EQ(progress.events, QStringList({kGetDados, "End"}));
}

TEST_F(ConsDesEtiqServerTest, SecondElementWithAColumnOfAnotherKindLeavesItemsAsTheyWere)
{
    LoadStartingRows();
    QJsonObject otherKind = LabelPacket({});
    QJsonArray fields = otherKind.value("fields").toArray();
    fields[3] = Field("VRPESOETIQ", "string", 10);
    otherKind.insert("fields", fields);
    otherKind.insert("rows", QJsonArray{QJsonArray{"U", "0005", "00001", "2,5", "A", "00010000000001000500001", QJsonValue()}});
    server.AnswerValue(ArrayOfPackets({ItemPacket({"0005"}), otherKind}));

    EXPECT_THROW(calls.GetProduto("0001", "0000000001", items, labels), EDatabaseError);

    EXPECT_EQ(Column(items, "NRSEQITPROD"), QStringList({"0001"}));
    EXPECT_EQ(labels.RecordCount(), 2);
}

TEST_F(ConsDesEtiqServerTest, ReplyWithoutTheSecondElementLeavesItemsAsTheyWere)
{
    LoadStartingRows();
    server.AnswerValue(ArrayOfPackets({ItemPacket({"0005"})}));

    EXPECT_THROW(calls.GetProduto("0001", "0000000001", items, labels), EConvertError);

    EXPECT_EQ(Column(items, "NRSEQITPROD"), QStringList({"0001"}));
    EXPECT_EQ(progress.events, QStringList({kGetDados, "End"}));
}

TEST_F(ConsDesEtiqServerTest, ReplyThatIsNotAnArrayLeavesTheInvoicesAsTheyWere)
{
    LoadStartingRows();
    server.AnswerValue(Tagged("string", "nada"));
    QList<TVariant> args = GetNFEtiquetaArgs(TNfEtiquetaFilter{});

    EXPECT_THROW(calls.GetNFEtiqueta(args, notaFiscal), EConvertError);

    EXPECT_EQ(Column(notaFiscal, "NRNOTAFISC"), QStringList({"NF-1"}));
    EXPECT_EQ(progress.events, QStringList({kGetDados, "End"}));
}

TEST_F(ConsDesEtiqServerTest, ServerErrorReachesTheCallerWithItsMessageAndEndsTheProgress)
{
    LoadStartingRows();
    server.AnswerError(-32000, "Nota fiscal não encontrada.");

    try {
        calls.GetProduto("0001", "0000000001", items, labels);
        FAIL() << "no error raised";
    } catch (const EServerError& error) {
        EXPECT_EQ(error.Message(), "Nota fiscal não encontrada.");
    }
    EXPECT_EQ(labels.RecordCount(), 2);
    EXPECT_EQ(progress.events, QStringList({kGetDados, "End"}));
}

TEST_F(ConsDesEtiqServerTest, StoppedServerIsATransportFailureNotARefusalAndNothingIsRetried)
{
    LoadStartingRows();
    const int before = server.RequestCount();
    server.Stop();

    EXPECT_THROW(calls.SetEtiqueta(QJsonObject{{"fields", QJsonArray()}, {"changes", QJsonArray()}}),
                 ENetConnectionError);
    EXPECT_THROW(calls.GetProduto("0001", "0000000001", items, labels), ENetConnectionError);

    EXPECT_EQ(server.RequestCount(), before);
    EXPECT_EQ(Column(items, "NRSEQITPROD"), QStringList({"0001"}));
    EXPECT_EQ(progress.events, QStringList({kAtuServi, "End", kGetDados, "End"}));
}

TEST_F(ConsDesEtiqServerTest, LabelChangeSendsThePacketAndReturnsTheReplyText)
{
    const QJsonObject change{{"fields", QJsonArray{Field("CDCODBARRAETIQ", "string", 50), Field("IDSTATUSETIQ", "string", 1)}},
                             {"changes", QJsonArray{QJsonObject{{"kind", "insert"},
                                                                {"new", QJsonArray{"00010000000001000100001", "I"}}}}}};
    server.AnswerValue(Tagged("string", ""));
    EXPECT_EQ(calls.SetEtiqueta(change), "");
    const QJsonObject request = server.LastRequest();
    EXPECT_EQ(request.value("method").toString(), "setEtiqueta");
    EXPECT_EQ(request.value("params").toArray(), QJsonArray({Tagged("packet", change)}));

    server.AnswerValue(Tagged("string", "Gravado com ressalvas"));
    EXPECT_EQ(calls.SetEtiqueta(change), "Gravado com ressalvas");
    EXPECT_EQ(progress.events, QStringList({kAtuServi, "End", kAtuServi, "End"}));
}

TEST_F(ConsDesEtiqServerTest, LabelChangeRefusedByTheServerRaisesItsReasonAndEndsTheProgress)
{
    server.AnswerValue(Tagged("string", "Erro: Etiqueta 00010000000001000100001 não está ativa."));
    try {
        calls.SetEtiqueta(QJsonObject{{"fields", QJsonArray()}, {"changes", QJsonArray()}});
        FAIL() << "no error raised";
    } catch (const ESetEtiquetaError& error) {
        EXPECT_EQ(error.Message(), "Etiqueta 00010000000001000100001 não está ativa.");
    }
    EXPECT_EQ(progress.events, QStringList({kAtuServi, "End"}));
}

QString RefusalOf(const QString& reply)
{
    try {
        TConsDesEtiqServer::CheckSetEtiquetaReply(reply);
    } catch (const ESetEtiquetaError& error) {
        return error.Message();
    }
    return QStringLiteral("<aceita>");
}

TEST(SetEtiquetaReplyTest, EveryErrorMarkerIsRemovedWhereverItStands)
{
    EXPECT_EQ(RefusalOf("Erro: peso difere. Erro: tente de novo"), "peso difere. tente de novo");
    EXPECT_EQ(RefusalOf("Falha ao gravar. Erro: etiqueta em uso"), "Falha ao gravar. etiqueta em uso");
    EXPECT_EQ(RefusalOf("Erro: "), "");
}

TEST(SetEtiquetaReplyTest, RepliesWithoutTheExactMarkerAreAccepted)
{
    EXPECT_EQ(RefusalOf(""), "<aceita>");
    EXPECT_EQ(RefusalOf("OK"), "<aceita>");
    EXPECT_EQ(RefusalOf("erro: minúsculo"), "<aceita>");
    EXPECT_EQ(RefusalOf("Erro:sem espaço"), "<aceita>");
    EXPECT_EQ(TConsDesEtiqServer::CheckSetEtiquetaReply("OK"), "OK");
}

} // namespace
