// Confirming a split: the final check on the two weight boxes, the question, the numbering from
// the item's highest sequence in weight order, the packet sent, the printable-label list, and
// what a refused or failed send leaves for the next attempt.
#include "screens_desmembra/splitfixture.h"

#include "framework/eventguard.h"
#include "framework/showavi.h"
#include "platform/packet.h"
#include "support/changerows.h"

#include <QTest>

namespace {

const QString kQuestion = QStringLiteral("Deseja confirmar o desmembramento?");
const QString kDifference = QStringLiteral("O peso de origem difere do total de peso acumulado.");

class Confirmation : public SplitScreenTest {
protected:
    void Confirm(bool answer)
    {
        ui.Answers.enqueue(answer);
        QTest::mouseClick(split->sbtConfirmar, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TChangePacket SentPacket(int index = 0) const
    {
        const QList<QJsonObject> packets = server->ChangePackets();
        EXPECT_GT(packets.size(), index);
        return packets.size() > index ? ChangePacketFromJson(packets.at(index)) : TChangePacket{};
    }

    // The inserted rows of a packet as "NRSEQETIQ|CDCODBARRAETIQ|VRPESOETIQ|IDSTATUSETIQ".
    static QStringList Insertions(const TChangePacket& packet)
    {
        QStringList rows;
        for (int c = 0; c < packet.changes.size(); ++c) {
            EXPECT_EQ(packet.changes.at(c).kind, TChangeKind::Insert);
            const QVariantMap row = ChangeRow(packet, c, true);
            const QVariant weight = row.value("VRPESOETIQ");
            rows << QStringList{row.value("NRSEQETIQ").toString(), row.value("CDCODBARRAETIQ").toString(),
                                weight.isValid() ? QString::number(weight.toDouble()) : QString(),
                                row.value("IDSTATUSETIQ").toString()}
                        .join(QLatin1Char('|'));
        }
        return rows;
    }

    QString Item1(const QString& sequence) const { return Barcode(QStringLiteral("0001"), sequence); }
};

TEST_F(Confirmation, OrigemTenAgainstAcumuladoTenPassesTheFinalCheckAndNoChangesNothing)
{
    PositionOnDefaultSource();
    OpenSplit();
    EnterBatch("1", "9,999");
    QTest::mouseClick(split->sbtConfirmar, Qt::LeftButton);
    EXPECT_EQ(Errors(), QStringList{kDifference});
    EXPECT_TRUE(Questions().isEmpty());
    EXPECT_EQ(FocusedName(), "edtQtdEtiqueta");

    ui.Clear();
    EnterBatch("1", "0,001");
    EXPECT_EQ(split->dbeQtdeOrig->text(), "10,000");
    EXPECT_EQ(split->dbeQtdeAcumu->text(), "10,000");
    Confirm(false);
    EXPECT_TRUE(Errors().isEmpty()) << ui.Log().join('\n').toStdString();
    EXPECT_EQ(Questions(), QStringList{kQuestion});
    // No: nothing numbered, nothing sent, the screen stays with its batches.
    ASSERT_TRUE(split);
    EXPECT_TRUE(split->isVisible());
    EXPECT_EQ(split->cdsEtiqueta->RecordCount(), 2);
    const QString prefix = Item1("").left(18);
    EXPECT_EQ(LabelRows(), QStringList({"|" + prefix + "|1|0.001|A", "|" + prefix + "|1|9.999|A"}));
    EXPECT_EQ(server->Count("setEtiqueta"), 0);
}

TEST_F(Confirmation, ConfirmingWithoutBatchesEndsOnTheEmptyTotal)
{
    PositionOnDefaultSource();
    OpenSplit();
    EXPECT_FALSE(split->sbtConfirmar->isEnabled());
    RunGuarded([&] { split->sbtConfirmarClick(split->sbtConfirmar); }, split);
    EXPECT_EQ(Errors().size(), 1);
    EXPECT_TRUE(Questions().isEmpty());
    EXPECT_EQ(server->Count("setEtiqueta"), 0);
}

TEST_F(Confirmation, NewLabelsAreNumberedAfterTheHighestSequenceInWeightOrder)
{
    QList<TLabelSpec> labels{{"0001", "00001", 10.0}};
    for (int seq = 2; seq <= 7; ++seq)
        labels.append({"0001", QStringLiteral("%1").arg(seq, 5, 10, QLatin1Char('0')), 3.0, seq == 7 ? "I" : "A"});
    labels.append({"0002", "00011", 7.0});
    PositionQueryScreen(labels, "0001", "00001");
    const QStringList printableBefore = PrintableRows();
    OpenSplit();
    EnterBatch("1", "5");
    EnterBatch("2", "2,5");
    Confirm(true);
    ASSERT_TRUE(Errors().isEmpty()) << ui.Log().join('\n').toStdString();

    // k = 3 new labels and the source label's inactivation: k + 1 insertions, in the order the
    // rows were made; the numbers follow the weights.
    const TChangePacket packet = SentPacket();
    EXPECT_EQ(Insertions(packet), QStringList({"00010|" + Item1("00010") + "|5|A", "00008|" + Item1("00008") + "|2.5|A",
                                               "00009|" + Item1("00009") + "|2.5|A", "|" + Item1("00001") + "||I"}));
    // The source row carries only its mark, its barcode and the inactive status.
    const QVariantList& source = packet.changes.last().newRow;
    QStringList set;
    for (int i = 0; i < packet.fields.size(); ++i)
        if (source.at(i).isValid())
            set << packet.fields.at(i).name + "=" + source.at(i).toString();
    EXPECT_EQ(set, QStringList({"IDCHECK=U", "IDSTATUSETIQ=I", "CDCODBARRAETIQ=" + Item1("00001")}));

    // The new labels stand selected for printing; the source label's row is gone.
    QStringList expected = printableBefore;
    expected.removeAll("U|" + Item1("00001") + "|10");
    expected << "C|" + Item1("00008") + "|2.5" << "C|" + Item1("00009") + "|2.5" << "C|" + Item1("00010") + "|5";
    expected.sort();
    EXPECT_EQ(PrintableRows(), expected);
    TClientDataSet& printable = *query->cdsRelEtiquetas;
    printable.SetFiltered(false);
    ASSERT_TRUE(printable.Locate("CDCODBARRAETIQ", {Item1("00010")}));
    EXPECT_EQ(printable.FieldByName("NMPRODUTO")->AsString(), "QUEIJO MUSSARELA");
    EXPECT_EQ(printable.FieldByName("NRNOTAFISC")->AsString(), "45871");
    EXPECT_EQ(printable.FieldByName("CDSERIEENTR")->AsString(), "1");
    EXPECT_EQ(printable.FieldByName("CDARVPROD")->AsString(), "1.01.0045");
    EXPECT_EQ(printable.FieldByName("LOTESUBLOTE")->AsString(), "L2611/01");
    EXPECT_EQ(printable.FieldByName("QTETIQPROD")->AsFloat(), 1);
    EXPECT_EQ(printable.FieldByName("DTVALILOTE")->AsDateTime().date(), QDate(2027, 2, 1));

    // The screen said the split was saved, closed itself and cleared its flag.
    EXPECT_EQ(ui.Texts(TUiEntryKind::Information), QStringList{QStringLiteral("Desmembramento realizado com sucesso.")});
    EXPECT_FALSE(split);
    EXPECT_FALSE(boStCriado);
    // The update went through the query screen's animation.
    EXPECT_TRUE(ui.Texts(TUiEntryKind::ProgressShow).contains(QStringLiteral("Atualizando servidor..")));
}

// A label number has five digits in the barcode: a confirmation that would number past 99999
// is refused before anything is numbered or sent.
TEST_F(Confirmation, NumbersPastTheBarcodesFiveDigitsAreRefusedBeforeAnythingIsSent)
{
    PositionQueryScreen({{"0001", "99998", 2.0}, {"0001", "00001", 5.0}}, "0001", "99998");
    OpenSplit();
    EnterBatch("1", "2");
    ASSERT_TRUE(Errors().isEmpty()) << ui.Log().join('\n').toStdString();
    // Another label of the item has taken the last number meanwhile.
    TClientDataSet* labels = query->cdsEtiqueta;
    ASSERT_TRUE(labels->Locate("CDCODBARRAETIQ", {Item1("00001")}));
    labels->Edit();
    labels->FieldByName("NRSEQETIQ")->SetAsString("99999");
    labels->Post();
    ASSERT_TRUE(labels->Locate("CDCODBARRAETIQ", {Item1("99998")}));
    const QStringList before = LabelRows();
    Confirm(true);
    EXPECT_EQ(Errors(), QStringList{QStringLiteral("A Quantidade de Etiqueta supera a numeração disponível para o "
                                                   "produto: restam 0 número(s) de etiqueta, pois o código de barras "
                                                   "comporta a numeração até 99999.")});
    EXPECT_TRUE(Questions().isEmpty());
    EXPECT_EQ(LabelRows(), before);
    EXPECT_TRUE(server->ChangePackets().isEmpty());
    EXPECT_TRUE(split);
}

TEST_F(Confirmation, AnItemWithoutSequencesNumbersFromOne)
{
    PositionQueryScreen({{"0001", "", 6.0}}, "0001", "");
    OpenSplit();
    EnterBatch("2", "3");
    Confirm(true);
    ASSERT_TRUE(Errors().isEmpty()) << ui.Log().join('\n').toStdString();
    EXPECT_EQ(Insertions(SentPacket()),
              QStringList({"00001|" + Item1("00001") + "|3|A", "00002|" + Item1("00002") + "|3|A", "|" + Item1("") + "||I"}));
}

TEST_F(Confirmation, ARefusedSendLeavesEverythingAsBeforeSoThatConfirmingAgainSendsTheSameSplit)
{
    PositionOnDefaultSource();
    const QStringList printableBefore = PrintableRows();
    OpenSplit();
    EnterBatch("1", "4");
    EnterBatch("2", "3");
    const QStringList labelsBefore = LabelRows();
    server->ScriptSetEtiqueta({QStringLiteral("Erro: Etiqueta Erro: 00001 já está inativa.")});

    Confirm(true);
    EXPECT_EQ(Errors(), QStringList{QStringLiteral("Etiqueta 00001 já está inativa.")});
    ASSERT_TRUE(split);
    EXPECT_TRUE(split->isVisible());
    EXPECT_EQ(split->cdsEtiqueta->RecordCount(), 2);
    EXPECT_EQ(LabelRows(), labelsBefore);
    EXPECT_EQ(PrintableRows(), printableBefore);
    EXPECT_EQ(ShowAviDepth(), 0);

    ui.Clear();
    Confirm(true);
    ASSERT_TRUE(Errors().isEmpty()) << ui.Log().join('\n').toStdString();
    const QList<QJsonObject> packets = server->ChangePackets();
    ASSERT_EQ(packets.size(), 2);
    EXPECT_EQ(packets.at(1), packets.at(0));
    EXPECT_EQ(Insertions(SentPacket(1)), QStringList({"00006|" + Item1("00006") + "|4|A", "00004|" + Item1("00004") + "|3|A",
                                                      "00005|" + Item1("00005") + "|3|A", "|" + Item1("00001") + "||I"}));
    QStringList expected = printableBefore;
    expected.removeAll("U|" + Item1("00001") + "|10");
    expected << "C|" + Item1("00004") + "|3" << "C|" + Item1("00005") + "|3" << "C|" + Item1("00006") + "|4";
    expected.sort();
    EXPECT_EQ(PrintableRows(), expected);
    EXPECT_FALSE(split);
}

TEST_F(Confirmation, AnUnreachableServerIsReportedTheSplitStaysAsItWasAndTheScreenStillCloses)
{
    PositionOnDefaultSource();
    const QStringList printableBefore = PrintableRows();
    OpenSplit();
    EnterBatch("1", "10");
    const QStringList labelsBefore = LabelRows();
    server.reset();
    Confirm(true);
    ASSERT_EQ(Errors().size(), 1) << ui.Log().join('\n').toStdString();
    EXPECT_TRUE(split);
    EXPECT_EQ(LabelRows(), labelsBefore);
    EXPECT_EQ(PrintableRows(), printableBefore);

    // Closing still closes (after its question, the batch being unconfirmed): the query
    // screen's refresh fails and is reported.
    ui.Clear();
    ui.Answers << true;
    split->Close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(split);
    EXPECT_FALSE(boStCriado);
    EXPECT_EQ(Errors().size(), 1) << ui.Log().join('\n').toStdString();
}

TEST_F(Confirmation, AReplyWithoutTheErrorMarkerIsSuccess)
{
    PositionOnDefaultSource();
    OpenSplit();
    EnterBatch("1", "10");
    server->ScriptSetEtiqueta({QStringLiteral("Gravado: erro nenhum")});
    Confirm(true);
    EXPECT_TRUE(Errors().isEmpty()) << ui.Log().join('\n').toStdString();
    EXPECT_FALSE(split);
}

} // namespace
