// GetNFEtiqueta and GetProduto through the dispatcher, on SQLite and on PostgreSQL: each filter
// argument, the "Todos" and empty forms the client sends, hostile key lists, and the packets.

#include "servertestkit.h"

#include "httpcall.h"

#include "host/serverprocess/serverprocess.h"
#include "labels/recordsets.h"
#include "platform/clientdataset.h"
#include "server/rpcdispatcher.h"
#include "server/sqlstatement.h"

#include <QDate>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace {

double DayNumber(const QDate& d)
{
    return double(QDate(1899, 12, 30).daysTo(d));
}

class LabelSearch : public DispatcherTest {
protected:
    QJsonArray Value(const QJsonObject& reply)
    {
        return reply.value(QStringLiteral("result")).toObject().value(QStringLiteral("value")).toObject()
            .value(QStringLiteral("value")).toArray();
    }

    static QJsonObject Packet(const QJsonArray& value, int index)
    {
        return value[index].toObject().value(QStringLiteral("value")).toObject();
    }

    // "branch/entry" of every invoice found.
    QStringList Find(const TSearch& search)
    {
        const QJsonObject reply = Call(QStringLiteral("GetNFEtiqueta"), search.Params());
        EXPECT_FALSE(reply.contains(QStringLiteral("error"))) << QJsonDocument(reply).toJson().toStdString();
        QStringList keys;
        for (const QJsonValue row : Packet(Value(reply), 0).value(QStringLiteral("rows")).toArray())
            keys << row[0].toString() + QLatin1Char('/') + row[1].toString();
        return keys;
    }

    static TSearch All()
    {
        TSearch s;
        s.allBranches = s.allSuppliers = true;
        return s;
    }

};

TEST_P(LabelSearch, TodosWithEveryOtherFieldEmptyFindsEveryInvoice)
{
    const QStringList found = Find(All());
    EXPECT_EQ(found.size(), Count(QStringLiteral("SELECT COUNT(*) FROM NOTAFISCAL")));
    EXPECT_TRUE(found.contains(QStringLiteral("0001/0000000001")));
}

TEST_P(LabelSearch, BranchAndSupplierListsLimitTheInvoicesToTheirKeys)
{
    TSearch s = All();
    s.allBranches = false;
    s.branches = QStringLiteral("_0001_,_0003_");
    const QStringList byBranch = Find(s);
    EXPECT_EQ(byBranch.size(), Count(QStringLiteral("SELECT COUNT(*) FROM NOTAFISCAL WHERE CDFILIAL IN ('0001', '0003')")));
    for (const QString& k : byBranch)
        EXPECT_TRUE(k.startsWith(QLatin1String("0001/")) || k.startsWith(QLatin1String("0003/"))) << k.toStdString();

    s = All();
    s.allSuppliers = false;
    s.suppliers = QStringLiteral("_1001_");
    const QStringList bySupplier = Find(s);
    EXPECT_EQ(bySupplier.size(), Count(QStringLiteral("SELECT COUNT(*) FROM NOTAFISCAL WHERE CDFORNECED = '1001'")));
    EXPECT_TRUE(bySupplier.contains(QStringLiteral("0001/0000000001")));

    // A "T" flag wins over whatever the list holds.
    s.allSuppliers = true;
    EXPECT_EQ(Find(s).size(), Count(QStringLiteral("SELECT COUNT(*) FROM NOTAFISCAL")));
}

TEST_P(LabelSearch, DateRangeIsInclusiveAndIgnoredUnderTheDateFlag)
{
    const QDate issued = QDate::currentDate().addDays(-2);   // the fixed demo invoice
    TSearch s = All();
    s.allDates = false;
    s.firstDay = s.lastDay = DayNumber(issued);
    const QStringList sameDay = Find(s);
    EXPECT_TRUE(sameDay.contains(QStringLiteral("0001/0000000001")));
    EXPECT_EQ(sameDay.size(), Count(QStringLiteral("SELECT COUNT(*) FROM NOTAFISCAL WHERE DTEMISSAO = '%1 00:00:00'")
                                        .arg(issued.toString(Qt::ISODate))));

    s.firstDay = DayNumber(issued.addDays(1));
    s.lastDay = DayNumber(issued.addDays(400));
    EXPECT_FALSE(Find(s).contains(QStringLiteral("0001/0000000001")));

    // Both dates empty: the dates sent are whatever the empty edits hold, even far outside any calendar.
    s.allDates = true;
    s.firstDay = s.lastDay = -1e12;
    EXPECT_EQ(Find(s).size(), Count(QStringLiteral("SELECT COUNT(*) FROM NOTAFISCAL")));
}

// 2018-11-04 00:00 did not exist in America/Sao_Paulo (daylight saving began at midnight): a
// server running in that zone still sends the day as stored and finds it by its own date.
TEST_P(LabelSearch, AServerInAZoneThatSkippedTheMidnightKeepsAndFindsThatDay)
{
    TSqlStatement(db_.database->Connection(),
                  QStringLiteral("UPDATE NOTAFISCAL SET DTEMISSAO = '2018-11-04 00:00:00'"
                                 " WHERE CDFILIAL = '0001' AND NRLANCTONF = '0000000001'")).Exec();
    TSqlStatement(db_.database->Connection(),
                  QStringLiteral("UPDATE ITEMNOTAFISCAL SET DTVALILOTE = '2018-11-04 00:00:00'"
                                 " WHERE CDFILIAL = '0001' AND NRLANCTONF = '0000000001'")).Exec();
    TServerProcess server;
    server.SetEnvironment(QStringLiteral("TZ"), QStringLiteral("America/Sao_Paulo"));
    ASSERT_TRUE(server.Start({QStringLiteral("--database"), db_.connection})) << server.Error().toStdString();

    TSearch s = All();
    s.allDates = false;
    s.firstDay = s.lastDay = DayNumber(QDate(2018, 11, 4));
    const QJsonObject found = RpcCall(server.Port(), RequestBody(QStringLiteral("GetNFEtiqueta"), s.Params(), 1));
    const QJsonArray rows = Packet(Value(found), 0).value(QStringLiteral("rows")).toArray();
    ASSERT_EQ(rows.size(), 1) << QJsonDocument(found).toJson().toStdString();
    EXPECT_EQ(rows[0][1].toString(), QStringLiteral("0000000001"));
    EXPECT_EQ(rows[0][8].toString(), QStringLiteral("2018-11-04T00:00:00"));

    const QJsonObject items = RpcCall(server.Port(), RequestBody(QStringLiteral("GetProduto"),
                                                                 {Str(QStringLiteral("0001")), Str(QStringLiteral("0000000001"))}, 2));
    for (const QJsonValue row : Packet(Value(items), 0).value(QStringLiteral("rows")).toArray())
        EXPECT_EQ(row[10].toString(), QStringLiteral("2018-11-04T00:00:00"));

    // The client, in the same zone, loads the reply whole.
    TClientDataSet invoices;
    DefineNotaFiscal(invoices);
    invoices.SetData(Packet(Value(found), 0));
    EXPECT_EQ(invoices.FieldByName(QStringLiteral("DTEMISSAO"))->AsString(), QStringLiteral("04/11/2018"));
}

// A number JSON cannot write (an infinity) is refused by the server, never sent as null.
TEST_P(LabelSearch, AnInfiniteNumberStoredInTheDatabaseFailsTheCallInsteadOfTravellingAsNull)
{
    TSqlStatement(db_.database->Connection(),
                  QStringLiteral("UPDATE NOTAFISCAL SET VRNOTAFISC = %1 WHERE NRLANCTONF = '0000000001'")
                      .arg(GetParam() == TDbKind::SQLite ? QStringLiteral("9e999") : QStringLiteral("'Infinity'"))).Exec();
    const QJsonObject reply = Call(QStringLiteral("GetNFEtiqueta"), All().Params());
    EXPECT_EQ(reply.value(QStringLiteral("error")).toObject().value(QStringLiteral("code")).toInt(), -32000)
        << QJsonDocument(reply).toJson().toStdString();
}

TEST_P(LabelSearch, NumberRangeComparesTenDigitNumbers)
{
    TSearch s = All();
    s.allNumbers = false;
    s.firstNumber = QStringLiteral("0000458213");
    s.lastNumber = QStringLiteral("0000458213");
    EXPECT_EQ(Find(s), QStringList{QStringLiteral("0001/0000000001")});

    // Only the final number typed: the client sends "0000000000" as the initial one.
    s.firstNumber = QStringLiteral("0000000000");
    s.lastNumber = QStringLiteral("0000458213");
    const QStringList upTo = Find(s);
    EXPECT_TRUE(upTo.contains(QStringLiteral("0001/0000000001")));
    EXPECT_EQ(upTo.size(), Count(QStringLiteral("SELECT COUNT(*) FROM NOTAFISCAL WHERE LENGTH(NRNOTAFISC) < 6"
                                                " OR (LENGTH(NRNOTAFISC) = 6 AND NRNOTAFISC <= '458213')")));

    s.firstNumber = QStringLiteral("0000458214");
    s.lastNumber = QStringLiteral("9999999999");
    EXPECT_FALSE(Find(s).contains(QStringLiteral("0001/0000000001")));

    // Both numbers empty: two empty texts and the flag "T".
    s.firstNumber.clear();
    s.lastNumber.clear();
    s.allNumbers = true;
    EXPECT_EQ(Find(s).size(), Count(QStringLiteral("SELECT COUNT(*) FROM NOTAFISCAL")));
}

TEST_P(LabelSearch, ProductBarcodeFindsTheInvoiceHoldingThatLabel)
{
    TSearch s = All();
    s.barcode = DemoBarcode(2, 2);   // an inactive label still names its invoice
    EXPECT_EQ(Find(s), QStringList{QStringLiteral("0001/0000000001")});
    s.barcode = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVW");
    EXPECT_TRUE(Find(s).isEmpty());
}

TEST_P(LabelSearch, KeyListsOfQuotesAndSqlFragmentsFindNothingAndChangeNothing)
{
    const qint64 labels = Count(QStringLiteral("SELECT COUNT(*) FROM ETIQUETA"));
    const QStringList hostile = {
        QStringLiteral("_0001' OR '1'='1_"),
        QStringLiteral("_x'); DROP TABLE ETIQUETA; --_"),
        QStringLiteral("' OR 1=1 --"),
        QStringLiteral("_\"0001\"_,_0001\\_"),
        QStringLiteral("_0001_) OR (1=1_"),
    };
    for (const QString& list : hostile) {
        TSearch s = All();
        s.allBranches = false;
        s.branches = list;
        EXPECT_TRUE(Find(s).isEmpty()) << list.toStdString();
        s = All();
        s.allSuppliers = false;
        s.suppliers = list;
        EXPECT_TRUE(Find(s).isEmpty()) << list.toStdString();
        s = All();
        s.barcode = list;
        EXPECT_TRUE(Find(s).isEmpty()) << list.toStdString();
        s = All();
        s.allNumbers = false;
        s.firstNumber = list;
        s.lastNumber = list;
        EXPECT_TRUE(Find(s).isEmpty()) << list.toStdString();
    }
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM ETIQUETA")), labels);
    EXPECT_EQ(Find(All()).size(), Count(QStringLiteral("SELECT COUNT(*) FROM NOTAFISCAL")));
}

TEST_P(LabelSearch, ByReferenceArgumentsComeBackUnchanged)
{
    TSearch s = All();
    s.barcode = DemoBarcode(1, 1);
    const QJsonObject byRef = Call(QStringLiteral("GetNFEtiqueta"), s.Params())
                                  .value(QStringLiteral("result")).toObject().value(QStringLiteral("byRef")).toObject();
    const QJsonArray sent = s.Params();
    EXPECT_EQ(byRef.keys().size(), 9);
    for (int i : {0, 1, 2, 3, 6, 7, 8, 9, 10})
        EXPECT_EQ(byRef.value(QString::number(i)).toObject().value(QStringLiteral("value")),
                  sent[i].toObject().value(QStringLiteral("value")))
            << i;
}

TEST_P(LabelSearch, InvoicePacketCarriesTheInvoiceListFields)
{
    TSearch s = All();
    s.barcode = DemoBarcode(1, 1);
    const QJsonObject packet = Packet(Value(Call(QStringLiteral("GetNFEtiqueta"), s.Params())), 0);
    const TDataPacket p = DataPacketFromJson(packet);   // the client's own validation
    QStringList names;
    for (const TPacketField& f : p.fields)
        names << f.name;
    EXPECT_EQ(names.join(QLatin1Char(',')),
              QStringLiteral("CDFILIAL,NRLANCTONF,CDFILIRECE,CDINSCESTA,NRINSJURNF,NMRAZSOCFORN,NRNOTAFISC,CDSERIEENTR,"
                             "DTEMISSAO,VRNOTAFISC,IDSTATUSNFE,NRACESSONFE,IDTPIJURNF,DSRODAP"));
    ASSERT_EQ(p.rows.size(), 1);
    const QVariantList& row = p.rows[0];
    EXPECT_EQ(row[11].toString().size(), 44);                     // access key
    EXPECT_EQ(row[12].toString(), QStringLiteral("J"));
    EXPECT_EQ(row[4].toString().size(), 14);                      // CNPJ
    EXPECT_EQ(row[8].toDateTime().date(), QDate::currentDate().addDays(-2));
    EXPECT_FALSE(row[13].toString().isEmpty());                   // footer text
}

TEST_P(LabelSearch, GetProdutoReturnsTheItemsAndLabelsOfOneInvoice)
{
    const QJsonArray value = Value(Call(QStringLiteral("GetProduto"), {Str(QStringLiteral("0001")), Str(QStringLiteral("0000000001"))}));
    ASSERT_EQ(value.size(), 2);
    const TDataPacket items = DataPacketFromJson(Packet(value, 0));
    const TDataPacket labels = DataPacketFromJson(Packet(value, 1));
    ASSERT_EQ(items.fields.size(), 12);
    EXPECT_EQ(items.fields[10].name, QStringLiteral("DTVALILOTE"));
    EXPECT_EQ(items.fields[11].name, QStringLiteral("NRPEDEXOL"));
    ASSERT_EQ(items.rows.size(), 4);
    EXPECT_EQ(items.rows[0][0].toString(), QStringLiteral("U"));
    EXPECT_EQ(items.rows[1][11].toString().left(3), QStringLiteral("PV-"));
    ASSERT_EQ(labels.fields.size(), 12);
    QMap<QString, QString> statusByItem;
    int activeOfFirst = 0;
    for (const QVariantList& l : labels.rows) {
        EXPECT_EQ(l[10].toString(), l[1].toString() + l[2].toString() + l[3].toString() + l[4].toString());
        statusByItem[l[3].toString()] += l[9].toString();
        activeOfFirst += l[3].toString() == QLatin1String("0001") && l[9].toString() == QLatin1String("A");
    }
    EXPECT_GE(activeOfFirst, 4);
    EXPECT_FALSE(statusByItem.value(QStringLiteral("0002")).contains(QLatin1Char('A')));
    EXPECT_FALSE(statusByItem.contains(QStringLiteral("0003")));
}

// The replies come straight from the rows, written as Qt wrote the packets it built: reading a
// reply with Qt and writing it back gives the same bytes, keys, numbers and texts alike, also for
// weights with ten decimals, large and tiny numbers, and texts JSON must escape.
TEST_P(LabelSearch, RepliesAreTheBytesQtWritesForTheSameValues)
{
    auto run = [&](const QString& sql) { TSqlStatement(db_.database->Connection(), sql).Exec(); };
    run(QStringLiteral("UPDATE ETIQUETA SET VRPESOETIQ = 12.3456789012 WHERE NRSEQETIQ = '00001' AND NRLANCTONF = '0000000001'"));
    run(QStringLiteral("UPDATE ETIQUETA SET QTETIQPROD = 1e20, QTTOTALPRODETIQ = 0.00001 WHERE NRSEQETIQ = '00002'"
                       " AND NRLANCTONF = '0000000001'"));
    run(QStringLiteral("UPDATE PRODUTO SET NMPRODUTO = 'Pão \"francês\" \\ %1 / ü'").arg(QChar(0x1f)));
    run(QStringLiteral("UPDATE NOTAFISCAL SET VRNOTAFISC = 1234567.891"));
    auto body = [&](const QString& method, const QJsonArray& params) {
        const QJsonObject request{{QStringLiteral("jsonrpc"), QStringLiteral("2.0")}, {QStringLiteral("id"), 3},
                                  {QStringLiteral("method"), method}, {QStringLiteral("params"), params}};
        return dispatcher_->Handle(QJsonDocument(request).toJson(QJsonDocument::Compact), QStringLiteral("127.0.0.1")).body;
    };
    for (const QByteArray& reply : {body(QStringLiteral("GetProduto"), {Str(QStringLiteral("0001")), Str(QStringLiteral("0000000001"))}),
                                    body(QStringLiteral("GetNFEtiqueta"), All().Params())}) {
        ASSERT_TRUE(reply.contains("\"result\"")) << reply.toStdString();
        EXPECT_EQ(reply, QJsonDocument::fromJson(reply).toJson(QJsonDocument::Compact));
    }
    const QByteArray produto = body(QStringLiteral("GetProduto"), {Str(QStringLiteral("0001")), Str(QStringLiteral("0000000001"))});
    EXPECT_TRUE(produto.contains(",12.3456789012,")) << produto.toStdString();
    EXPECT_TRUE(produto.contains(",1e+20,")) << produto.toStdString();
    EXPECT_TRUE(produto.contains("\"Pão \\\"francês\\\" \\\\ \\u001f / ü\"")) << produto.toStdString();
}

TEST_P(LabelSearch, GetProdutoOfAnUnknownInvoiceGivesEmptyPackets)
{
    const QJsonArray value = Value(Call(QStringLiteral("GetProduto"), {Str(QStringLiteral("0009")), Str(QStringLiteral("' OR ''='"))}));
    ASSERT_EQ(value.size(), 2);
    EXPECT_TRUE(DataPacketFromJson(Packet(value, 0)).rows.isEmpty());
    EXPECT_TRUE(DataPacketFromJson(Packet(value, 1)).rows.isEmpty());
}

TEST_P(LabelSearch, WrongNumberOrKindOfArgumentsIsRefusedWithInvalidParams)
{
    auto code = [&](const QString& method, const QJsonArray& params) {
        return Call(method, params).value(QStringLiteral("error")).toObject().value(QStringLiteral("code")).toInt();
    };
    EXPECT_EQ(code(QStringLiteral("GetProduto"), {Str(QStringLiteral("0001"))}), -32602);
    EXPECT_EQ(code(QStringLiteral("GetProduto"), {Str(QStringLiteral("0001")), Day(1)}), -32602);
    QJsonArray ten = All().Params();
    ten.removeLast();
    EXPECT_EQ(code(QStringLiteral("GetNFEtiqueta"), ten), -32602);
    QJsonArray badDate = All().Params();
    badDate[4] = Str(QStringLiteral("08/12/2026"));
    EXPECT_EQ(code(QStringLiteral("GetNFEtiqueta"), badDate), -32602);
    QJsonArray badTag = All().Params();
    badTag[0] = QJsonObject{{QStringLiteral("type"), QStringLiteral("texto")}};
    EXPECT_EQ(code(QStringLiteral("GetNFEtiqueta"), badTag), -32602);
    EXPECT_EQ(code(QStringLiteral("setEtiqueta"), {Str(QString())}), -32602);
    EXPECT_EQ(code(QStringLiteral("setEtiqueta"), {PacketArg(QJsonObject{{QStringLiteral("fields"), QJsonArray()},
                                                                        {QStringLiteral("rows"), QJsonArray()}})}),
              -32602);
}

INSTANTIATE_TEST_SUITE_P(Databases, LabelSearch, testing::Values(TDbKind::SQLite, TDbKind::PostgreSQL),
                         [](const auto& info) { return DbKindName(info.param).toStdString(); });

} // namespace
