// A split against the reference application server with its demonstration data: what the
// server holds afterwards, and what the query screen lists once it has refreshed.
#include "screens_desmembra/splitfixture.h"

#include "framework/session.h"
#include "host/serverprocess/serverprocess.h"
#include "labels/consdesetiqserver.h"
#include "labels/nfetiquetafilter.h"
#include "labels/recordsets.h"
#include "platform/sysutils.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

class TNoProgress : public TCallProgress {
public:
    void Begin(int, const QString&) override {}
    void End() override {}
};

struct TServerLabel {
    QString sequence;
    QString status;
    double weight;
};

class SplitOnReferenceServer : public SplitScreenTest {
protected:
    void SetUp() override
    {
        SplitScreenTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(process.Start({"--database", dir.filePath("est.db"), "--init-demo"})) << process.Error().toStdString();
        TSession::Instance().ServerPort = process.Port();
        query->netConsDesEtiq->Close();
        query->netConsDesEtiq->Open();
        connection.ServerName = QLatin1String(kConsDesEtiqServerName);
        connection.Host = QStringLiteral("127.0.0.1");
        connection.Port = process.Port();
    }

    // The labels of item 0001 of the fixed demonstration invoice, as the server has them now.
    QList<TServerLabel> ServerLabels(QJsonObject* itemsPacket = nullptr, QJsonObject* labelsPacket = nullptr)
    {
        TClientDataSet items, labels;
        DefineProdEtiq(items);
        DefineEtiquetaConsulta(labels);
        TConsDesEtiqServer(connection, progress).GetProduto(kBranch, kEntry, items, labels);
        if (itemsPacket)
            *itemsPacket = items.Data();
        if (labelsPacket)
            *labelsPacket = labels.Data();
        QList<TServerLabel> found;
        for (labels.First(); !labels.Eof(); labels.Next()) {
            if (labels.FieldByName("NRSEQITPROD")->AsString() != QLatin1String("0001"))
                continue;
            found.append({labels.FieldByName("NRSEQETIQ")->AsString(), labels.FieldByName("IDSTATUSETIQ")->AsString(),
                          labels.FieldByName("VRPESOETIQ")->AsFloat()});
        }
        return found;
    }

    QTemporaryDir dir;
    TServerProcess process;
    TNetConnection connection;
    TNoProgress progress;
};

TEST_F(SplitOnReferenceServer, TheSourceIsInactiveAndTheNewLabelsAddUpToItsWeight)
{
    TNfEtiquetaFilter filter;
    filter.FilialTodos = true;
    filter.FornecedorTodos = true;
    QList<TVariant> args = GetNFEtiquetaArgs(filter);
    TConsDesEtiqServer(*query->netConsDesEtiq, progress).GetNFEtiqueta(args, *query->cdsNotaFiscal);
    ASSERT_TRUE(query->cdsNotaFiscal->Locate("CDFILIAL;NRLANCTONF", {kBranch, kEntry}));
    QJsonObject items, labels;
    const QList<TServerLabel> before = ServerLabels(&items, &labels);
    ASSERT_EQ(before.size(), 6);
    LoadItemsAndLabels(items, labels);
    SelectSource("0001", Barcode("0001", "00001"));
    const double weight = before.first().weight;

    // Half the weight in one label, the other half in two.
    OpenSplit();
    EnterBatch("1", FloatToStrGeneral(weight / 2));
    EnterBatch("2", FloatToStrGeneral(weight / 4));
    ASSERT_TRUE(Errors().isEmpty()) << ui.Log().join('\n').toStdString();
    ui.Answers.enqueue(true);
    QTest::mouseClick(split->sbtConfirmar, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(Errors().isEmpty()) << ui.Log().join('\n').toStdString();
    EXPECT_FALSE(split);

    const QList<TServerLabel> after = ServerLabels();
    ASSERT_EQ(after.size(), 9);
    QMap<QString, TServerLabel> bySequence;
    for (const TServerLabel& label : after)
        bySequence.insert(label.sequence, label);
    EXPECT_EQ(bySequence.value("00001").status, "I");
    double total = 0;
    const QList<QPair<QString, double>> created{{"00007", weight / 4}, {"00008", weight / 4}, {"00009", weight / 2}};
    for (const auto& [sequence, expected] : created) {
        ASSERT_TRUE(bySequence.contains(sequence)) << sequence.toStdString();
        EXPECT_EQ(bySequence.value(sequence).status, "A");
        EXPECT_DOUBLE_EQ(bySequence.value(sequence).weight, expected);
        total += bySequence.value(sequence).weight;
    }
    EXPECT_DOUBLE_EQ(total, weight);

    if (!QueryScreenRefreshes())
        GTEST_SKIP() << "the query screen's refresh does not read from the server yet";
    // Back on item 0001, the query screen lists the new labels.
    EXPECT_EQ(query->cdsProdEtiq->FieldByName("NRSEQITPROD")->AsString(), "0001");
    for (const auto& created_label : created)
        EXPECT_TRUE(query->cdsEtiqueta->Locate("CDCODBARRAETIQ", {Barcode("0001", created_label.first)}))
            << created_label.first.toStdString();
}

} // namespace
