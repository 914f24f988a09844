// Several clients changing the same labels at the same moment, each on its own HTTP connection
// and thread, against a server process on SQLite and on PostgreSQL: exactly one change wins, the
// others are told why, and no barcode is ever stored twice.

#include "httpcall.h"
#include "servertestkit.h"

#include "host/serverprocess/serverprocess.h"
#include "server/sqlstatement.h"

#include <barrier>
#include <thread>

#include <gtest/gtest.h>

namespace {

class ConcurrentChange : public DatabaseTest {
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        db_.database->Discard();
        ASSERT_TRUE(server_.Start({QStringLiteral("--database"), db_.connection, QStringLiteral("--threads"), QStringLiteral("16")}))
            << server_.Error().toStdString();
    }

    // Sends every packet at once from its own thread; returns the replies in packet order.
    QStringList SendTogether(const QList<TChangePacket>& packets)
    {
        QStringList replies(packets.size());
        std::barrier start(packets.size());
        std::vector<std::thread> threads;
        for (int i = 0; i < packets.size(); ++i) {
            const QByteArray body = RequestBody(QStringLiteral("setEtiqueta"), SetEtiquetaParams(packets[i]), i);
            threads.emplace_back([&, i, body] {
                start.arrive_and_wait();
                replies[i] = ReplyText(RpcCall(server_.Port(), body));
            });
        }
        for (auto& t : threads)
            t.join();
        return replies;
    }

    TServerProcess server_;
};

TNewLabel New(const char* seq, double weight)
{
    TNewLabel n;
    n.sequence = QString::fromLatin1(seq);
    n.weight = weight;
    return n;
}

TEST_P(ConcurrentChange, TheSameGroupingFromEightClientsSucceedsExactlyOnce)
{
    const QList<QStringList> rounds = {{DemoBarcode(1, 1), DemoBarcode(1, 2)}, {DemoBarcode(1, 3), DemoBarcode(1, 4)}};
    const double weights[] = {12.345 + 11.87, 13.002 + 12.5};
    const char* seqs[] = {"00007", "00008"};
    for (int round = 0; round < 2; ++round) {
        const TChangePacket p = GroupingPacket(rounds[round], New(seqs[round], weights[round]));
        const QStringList replies = SendTogether(QList<TChangePacket>(8, p));
        EXPECT_EQ(replies.count(QString()), 1) << replies.join(QLatin1Char('|')).toStdString();
        for (const QString& r : replies) {
            if (!r.isEmpty()) {
                EXPECT_TRUE(r.startsWith(QLatin1String("Erro: A etiqueta ")) && r.endsWith(QStringLiteral("já está inativa.")))
                    << r.toStdString();
            }
        }
    }
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM AUDITETIQUETA")), 2);
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM ETIQUETA WHERE CDFILIAL = '0001' AND NRLANCTONF = '0000000001'"
                                   " AND NRSEQITPROD = '0001' AND IDSTATUSETIQ = 'A'")), 4);
}

TEST_P(ConcurrentChange, DifferentChangesCreatingTheSameBarcodeStoreItOnce)
{
    // Three clients group three different pairs of one item, each numbering its new label 00007.
    const QList<TChangePacket> packets = {
        GroupingPacket({DemoBarcode(1, 1), DemoBarcode(1, 2)}, New("00007", 12.345 + 11.87)),
        GroupingPacket({DemoBarcode(1, 3), DemoBarcode(1, 4)}, New("00007", 13.002 + 12.5)),
        SplitPacket(DemoBarcode(1, 5), {New("00007", 10.25)}),
    };
    const QStringList replies = SendTogether(packets);
    EXPECT_EQ(replies.count(QString()), 1) << replies.join(QLatin1Char('|')).toStdString();
    for (const QString& r : replies) {
        if (!r.isEmpty()) {
            EXPECT_EQ(r, QStringLiteral("Erro: O código de barras %1 já está em uso.").arg(DemoBarcode(1, 7)));
        }
    }
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM ETIQUETA WHERE CDCODBARRAETIQ = '%1'").arg(DemoBarcode(1, 7))), 1);
    // Only the winner's labels were inactivated.
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM ETIQUETA WHERE CDFILIAL = '0001' AND NRLANCTONF = '0000000001'"
                                   " AND NRSEQITPROD = '0001' AND IDSTATUSETIQ = 'I'")),
              replies[2].isEmpty() ? 1 : 2);
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM AUDITETIQUETA")), 1);
}

INSTANTIATE_TEST_SUITE_P(Databases, ConcurrentChange, testing::Values(TDbKind::SQLite, TDbKind::PostgreSQL),
                         [](const auto& info) { return DbKindName(info.param).toStdString(); });

} // namespace
