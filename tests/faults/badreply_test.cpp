// Answers that are not the protocol, put in the place of the reference server's by the fault
// proxy: the clerk is told what went wrong in Portuguese, nothing is loaded from the answer, and
// the next action, answered normally, works.

#include "faults/faultproxy.h"
#include "faults/roadfixture.h"

#include "package/pkg_est99000.h"

#include <QJsonArray>

namespace {

const QString kInvalid = QStringLiteral("Resposta inválida do servidor de aplicação.");

struct TBadReply {
    const char* name;
    TFault fault;
    QString message;      // the message, or its start when `prefix` is set
    bool prefix = false;
};

TFault Body(const QByteArray& body, int status = 200, const QByteArray& type = "application/json")
{
    TFault fault;
    fault.body = body;
    fault.status = status;
    fault.contentType = type;
    return fault;
}

TFault Rewrite(std::function<QByteArray(const QByteArray&)> rewrite)
{
    TFault fault;
    fault.rewrite = std::move(rewrite);
    return fault;
}

// The faults every call can meet on the way back.
QList<TBadReply> TransportFaults()
{
    return {
        {"HTML page", Body("<html><body><h1>Bem-vindo</h1></body></html>", 200, "text/html"), kInvalid},
        {"truncated JSON", Rewrite([](const QByteArray& r) { return r.left(r.size() / 2); }), kInvalid},
        {"empty body", Body(""), kInvalid},
        {"HTTP 500", Body("Internal Server Error", 500, "text/plain"),
         QStringLiteral("O servidor de aplicação respondeu com o erro HTTP 500.")},
        {"JSON that is no JSON-RPC answer", Body(R"({"invoices": []})"), kInvalid},
    };
}

class BadReply : public RoadTest {
protected:
    void SetUp() override
    {
        RoadTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(StartServer());
        proxy = std::make_unique<TFaultProxy>(server.Port());
        ASSERT_NO_FATAL_FAILURE(OpenScreen(proxy->Port()));
    }

    void TearDown() override
    {
        RoadTest::TearDown();
        proxy.reset();
    }

    void Arm(TFault fault, const char* method)
    {
        fault.method = QLatin1String(method);
        proxy->Arm(fault);
    }

    void ExpectMessage(const TBadReply& c)
    {
        ASSERT_EQ(Errors().size(), 1) << Log().toStdString();
        if (c.prefix)
            EXPECT_TRUE(Errors().first().startsWith(c.message)) << Errors().first().toStdString();
        else
            EXPECT_EQ(Errors().first(), c.message);
        EXPECT_EQ(proxy->Armed(), 0);
    }

    std::unique_ptr<TFaultProxy> proxy;
};

} // namespace

TEST_F(BadReply, ASearchAnsweredOutsideTheProtocolKeepsTheInvoicesListed)
{
    SearchAll();
    ASSERT_EQ(tela->cdsNotaFiscal->RecordCount(), 41);
    QList<TBadReply> cases = TransportFaults();
    cases.append({"a text instead of the list", Rewrite([](const QByteArray& r) {
                      return WithResultValue(r, R"({"type": "string", "value": "ok"})");
                  }),
                  kInvalid, true});
    cases.append({"an empty list", Rewrite([](const QByteArray& r) {
                      return WithResultValue(r, R"({"type": "array", "value": []})");
                  }),
                  kInvalid, true});
    for (const TBadReply& c : cases) {
        SCOPED_TRACE(c.name);
        ui.Clear();
        tela->cdsNotaFiscal->Last();
        const TScreenState before = State();
        Arm(c.fault, "GetNFEtiqueta");
        ASSERT_TRUE(tela->sbtVerificar->isEnabled());
        ASSERT_NO_FATAL_FAILURE(Refresh());
        ExpectMessage(c);
        ExpectNothingLeftRunning();
        ExpectState(before);
    }
    ui.Clear();
    ASSERT_NO_FATAL_FAILURE(Refresh());
    EXPECT_TRUE(Errors().isEmpty()) << Log().toStdString();
    EXPECT_EQ(tela->cdsNotaFiscal->RecordCount(), 41);
}

TEST_F(BadReply, ItemsAnsweredOutsideTheProtocolOrWithABrokenPacketKeepTheLabelsAndMarks)
{
    ASSERT_NO_FATAL_FAILURE(OpenDemoLabels());
    MarkLabels({0, 1});
    QList<TBadReply> cases = TransportFaults();
    cases.append({"no label packet", Rewrite([](const QByteArray& r) {
                      return WithResultValue(r, R"({"type": "array", "value": [{"type": "packet", "value": {"fields": [], "rows": []}}]})");
                  }),
                  kInvalid, true});
    cases.append({"a weight written as text", Rewrite([](const QByteArray& r) {
                      return WithLabelPacket(r, [](QJsonObject& packet) {
                          QJsonArray rows = packet.value("rows").toArray();
                          QJsonArray row = rows.at(0).toArray();
                          const QJsonArray fields = packet.value("fields").toArray();
                          for (int i = 0; i < fields.size(); ++i) {
                              if (fields.at(i).toObject().value("name") == QLatin1String("VRPESOETIQ"))
                                  row.replace(i, "12,345");
                          }
                          rows.replace(0, row);
                          packet.insert("rows", rows);
                      });
                  }),
                  kInvalid, true});
    cases.append({"a row shorter than the fields", Rewrite([](const QByteArray& r) {
                      return WithLabelPacket(r, [](QJsonObject& packet) {
                          QJsonArray rows = packet.value("rows").toArray();
                          rows.replace(3, QJsonArray{"C"});
                          packet.insert("rows", rows);
                      });
                  }),
                  kInvalid, true});
    cases.append({"a packet without fields", Rewrite([](const QByteArray& r) {
                      return WithLabelPacket(r, [](QJsonObject& packet) { packet.remove("fields"); });
                  }),
                  kInvalid, true});
    for (const TBadReply& c : cases) {
        SCOPED_TRACE(c.name);
        ui.Clear();
        const TScreenState before = State();
        Arm(c.fault, "GetProduto");
        ASSERT_NO_FATAL_FAILURE(Refresh());
        ExpectMessage(c);
        ExpectNothingLeftRunning();
        ExpectState(before);
        EXPECT_TRUE(tela->btnAgrupar->isEnabled());
    }
    ui.Clear();
    ASSERT_NO_FATAL_FAILURE(Refresh());
    EXPECT_TRUE(Errors().isEmpty()) << Log().toStdString();
    EXPECT_EQ(ListedLabels().size(), 6);
    EXPECT_EQ(inEtiqMark, 0);
}

TEST_F(BadReply, AGroupingAnsweredOutsideTheProtocolIsNeverTakenForSuccess)
{
    ASSERT_NO_FATAL_FAILURE(OpenDemoLabels());
    QList<TBadReply> cases = TransportFaults();
    cases.append({"nothing instead of a text", Rewrite([](const QByteArray& r) {
                      return WithResultValue(r, R"({"type": "null"})");
                  }),
                  kInvalid, true});
    cases.append({"a list instead of a text", Rewrite([](const QByteArray& r) {
                      return WithResultValue(r, R"({"type": "array", "value": []})");
                  }),
                  kInvalid, true});
    for (TBadReply c : cases) {
        SCOPED_TRACE(c.name);
        MarkLabels({0, 1});
        ui.Clear();
        // The change never reaches the database: what the screen says must not claim it did.
        c.fault.reachesServer = false;
        Arm(c.fault, "setEtiqueta");
        ASSERT_NO_FATAL_FAILURE(Group());
        ExpectMessage(c);
        EXPECT_TRUE(ui.Texts(TUiEntryKind::Information).isEmpty()) << Log().toStdString();
        ExpectNothingLeftRunning();
        EXPECT_EQ(ListedLabels().size(), 6);
        EXPECT_EQ(inEtiqMark, 0);
        EXPECT_EQ(tela->cdsAuxEtiqueta->ChangeCount(), 0);
        EXPECT_FALSE(tela->cdsRelEtiquetas->Locate(QStringLiteral("CDCODBARRAETIQ"), {DemoBarcode("0001", "00007")}));
        EXPECT_EQ(StoredLabels(server.Port()).size(), 6);
    }
    MarkLabels({0, 1});
    ui.Clear();
    ASSERT_NO_FATAL_FAILURE(Group());
    EXPECT_TRUE(Errors().isEmpty()) << Log().toStdString();
    EXPECT_EQ(ui.Texts(TUiEntryKind::Information), QStringList{QStringLiteral("Agrupamento realizado com sucesso.")});
}
