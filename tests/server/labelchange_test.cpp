// setEtiqueta through the dispatcher, on SQLite and on PostgreSQL: groupings and splits that are
// stored with their audit rows, and every reason a change is refused without touching anything.

#include "servertestkit.h"

#include "server/rpcdispatcher.h"
#include "server/sqlstatement.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

class LabelChange : public DispatcherTest {
protected:
    QString Send(const TChangePacket& packet)
    {
        return ReplyText(Call(QStringLiteral("setEtiqueta"), SetEtiquetaParams(packet), QStringLiteral("10.1.2.3")));
    }

    // Every label as "barcode status weight quantity", and the audit rows, to prove nothing moved.
    QStringList Snapshot()
    {
        QStringList rows;
        TSqlStatement q(db_.database->Connection(),
                        QStringLiteral("SELECT CDCODBARRAETIQ, IDSTATUSETIQ, VRPESOETIQ, QTETIQPROD FROM ETIQUETA"
                                       " ORDER BY CDCODBARRAETIQ"));
        q.Exec();
        while (q.Next())
            rows << QStringLiteral("%1 %2 %3 %4").arg(q.Text(0), q.Text(1)).arg(q.Value(2).toDouble()).arg(q.Value(3).toDouble());
        rows << QStringLiteral("audit %1").arg(AuditRows().size());
        return rows;
    }

    QString Status(const QString& barcode)
    {
        TSqlStatement q(db_.database->Connection(), QStringLiteral("SELECT IDSTATUSETIQ FROM ETIQUETA WHERE CDCODBARRAETIQ = :b"));
        q.Bind(QStringLiteral(":b"), barcode).Exec();
        return q.Next() ? q.Text(0).trimmed() : QStringLiteral("-");
    }

    std::pair<double, double> WeightAndQuantity(const QString& barcode)
    {
        TSqlStatement q(db_.database->Connection(),
                        QStringLiteral("SELECT VRPESOETIQ, QTETIQPROD FROM ETIQUETA WHERE CDCODBARRAETIQ = :b"));
        q.Bind(QStringLiteral(":b"), barcode).Exec();
        return q.Next() ? std::pair{q.Value(0).toDouble(), q.Value(1).toDouble()} : std::pair{-1.0, -1.0};
    }

    QStringList AuditRows()
    {
        QStringList rows;
        TSqlStatement q(db_.database->Connection(),
                        QStringLiteral("SELECT DSENDCLIENTE, IDTIPOALTER, CDFILIAL, NRLANCTONF, NRSEQITPROD, DSETIQINATIVADAS,"
                                       " DSETIQCRIADAS, DTALTERACAO FROM AUDITETIQUETA ORDER BY NRAUDITETIQ"));
        q.Exec();
        while (q.Next())
            rows << QStringLiteral("%1 %2 %3/%4/%5 [%6] -> [%7]%8")
                        .arg(q.Text(0), q.Text(1), q.Text(2), q.Text(3), q.Text(4), q.Text(5), q.Text(6))
                        .arg(q.Text(7).isEmpty() ? QStringLiteral(" sem data") : QString());
        return rows;
    }

    static TNewLabel New(const QString& item, const QString& sequence, double weight, double quantity = 1)
    {
        TNewLabel n;
        n.item = item;
        n.sequence = sequence;
        n.weight = weight;
        n.quantity = quantity;
        return n;
    }

};

TEST_P(LabelChange, GroupingInactivatesTheLabelsAndCreatesOneLabelOfTheirWeight)
{
    const QString a = DemoBarcode(1, 2), b = DemoBarcode(1, 5);   // 11.87 + 10.25
    EXPECT_EQ(Send(GroupingPacket({a, b}, New(QStringLiteral("0001"), QStringLiteral("00007"), 11.87 + 10.25))), QString());
    EXPECT_EQ(Status(a), QStringLiteral("I"));
    EXPECT_EQ(Status(b), QStringLiteral("I"));
    EXPECT_EQ(Status(DemoBarcode(1, 7)), QStringLiteral("A"));
    EXPECT_DOUBLE_EQ(WeightAndQuantity(DemoBarcode(1, 7)).first, 22.12);
    EXPECT_EQ(Status(DemoBarcode(1, 1)), QStringLiteral("A"));
    EXPECT_EQ(AuditRows(), QStringList{QStringLiteral("10.1.2.3 AGRUPAMENTO 0001/0000000001/0001 [%1,%2] -> [%3]")
                                           .arg(DemoBarcode(1, 2), DemoBarcode(1, 5), DemoBarcode(1, 7))});
}

TEST_P(LabelChange, SplitStoresEveryNewLabelWithItsBatchAndInactivatesTheSource)
{
    // 12.345 kg as two labels of 4 and one of 4.345; each label row carries its batch's count.
    const QString source = DemoBarcode(1, 1);
    const QList<TNewLabel> created = {New(QStringLiteral("0001"), QStringLiteral("00007"), 4, 2),
                                      New(QStringLiteral("0001"), QStringLiteral("00008"), 4, 2),
                                      New(QStringLiteral("0001"), QStringLiteral("00009"), 4.345, 1)};
    EXPECT_EQ(Send(SplitPacket(source, created)), QString());
    EXPECT_EQ(Status(source), QStringLiteral("I"));
    EXPECT_EQ(WeightAndQuantity(DemoBarcode(1, 7)), (std::pair{4.0, 2.0}));
    EXPECT_EQ(WeightAndQuantity(DemoBarcode(1, 9)), (std::pair{4.345, 1.0}));
    EXPECT_EQ(Status(DemoBarcode(1, 8)), QStringLiteral("A"));
    ASSERT_EQ(AuditRows().size(), 1);
    EXPECT_TRUE(AuditRows()[0].contains(QStringLiteral("DESMEMBRAMENTO"))) << AuditRows()[0].toStdString();
    EXPECT_TRUE(AuditRows()[0].endsWith(QStringLiteral("-> [%1,%2,%3]").arg(DemoBarcode(1, 7), DemoBarcode(1, 8), DemoBarcode(1, 9))));
}

TEST_P(LabelChange, WeightsThatDifferOnlyByRoundingAreAccepted)
{
    // 10.25 kg in three labels as typed on the split screen (ten decimals): their doubles do not
    // add up to 10.25 exactly, their ten-decimal values do.
    EXPECT_EQ(Send(SplitPacket(DemoBarcode(1, 5), {New(QStringLiteral("0001"), QStringLiteral("00007"), 3.4166666667, 1),
                                                    New(QStringLiteral("0001"), QStringLiteral("00008"), 3.4166666667, 1),
                                                    New(QStringLiteral("0001"), QStringLiteral("00009"), 3.4166666666, 1)})),
              QString());
    // A split into one label of the whole weight renumbers the label; also a split.
    EXPECT_EQ(Send(SplitPacket(DemoBarcode(1, 6), {New(QStringLiteral("0001"), QStringLiteral("00010"), 11.125)})), QString());
    // Sequences above 99999 take a sixth digit.
    EXPECT_EQ(Send(SplitPacket(DemoBarcode(4, 1), {New(QStringLiteral("0004"), QStringLiteral("100000"), 5.2)})), QString());
    EXPECT_EQ(Status(DemoBarcode(4, 1)), QStringLiteral("I"));

    // Past 100 t the screens' fifteen digits stop short of ten decimals: a split they accept
    // is accepted, and the heaviest new label takes the difference so nothing is created.
    TSqlStatement(db_.database->Connection(), QStringLiteral("UPDATE ETIQUETA SET VRPESOETIQ = 123456.789012346 WHERE CDCODBARRAETIQ = :b"))
        .Bind(QStringLiteral(":b"), DemoBarcode(1, 1)).Exec();
    EXPECT_EQ(Send(SplitPacket(DemoBarcode(1, 1), {New(QStringLiteral("0001"), QStringLiteral("00011"), 100000),
                                                    New(QStringLiteral("0001"), QStringLiteral("00012"), 23456.7890123464)})),
              QString());
    EXPECT_EQ(std::llround(WeightAndQuantity(DemoBarcode(1, 11)).first * 1e10) +
                  std::llround(WeightAndQuantity(DemoBarcode(1, 12)).first * 1e10),
              1234567890123460LL);
}

// The item's weight stays the same to the last of ten decimals through any run of changes the
// screens would send (weights typed with up to ten decimals, the totals compared as shown).
TEST_P(LabelChange, RandomHonestChangesKeepTheItemsWeightExactly)
{
    const auto activeUnits = [this] {
        QList<std::pair<QString, qint64>> labels;
        TSqlStatement q(db_.database->Connection(),
                        QStringLiteral("SELECT CDCODBARRAETIQ, VRPESOETIQ FROM ETIQUETA WHERE CDFILIAL = '0001'"
                                       " AND NRLANCTONF = '0000000001' AND NRSEQITPROD = '0001' AND IDSTATUSETIQ = 'A'"));
        q.Exec();
        while (q.Next())
            labels << std::pair{q.Text(0), qint64(std::llround(q.Double(1) * 1e10))};
        return labels;
    };
    const auto total = [](const QList<std::pair<QString, qint64>>& labels) {
        qint64 sum = 0;
        for (const auto& l : labels)
            sum += l.second;
        return sum;
    };
    const qint64 start = total(activeUnits());
    std::mt19937 random(99000);
    int seq = 7;
    for (int step = 0; step < 30; ++step) {
        QList<std::pair<QString, qint64>> labels = activeUnits();
        std::shuffle(labels.begin(), labels.end(), random);
        if (labels.size() >= 2 && step % 3 == 2) {
            // Grouping: the screen adds the weights as doubles.
            const double sum = double(labels[0].second) / 1e10 + double(labels[1].second) / 1e10;
            ASSERT_EQ(Send(GroupingPacket({labels[0].first, labels[1].first},
                                          New(QStringLiteral("0001"), QString::number(seq++).rightJustified(5, QLatin1Char('0')), sum))),
                      QString()) << step;
        } else {
            // Split: batches of typed ten-decimal weights, the last one what is left.
            const qint64 source = labels[0].second;
            QList<TNewLabel> created;
            qint64 left = source;
            while (left > 0) {
                const qint64 part = created.size() == 3 ? left : std::min<qint64>(left, 1 + qint64(random() % quint64(source)));
                created << New(QStringLiteral("0001"), QString::number(seq++).rightJustified(5, QLatin1Char('0')), double(part) / 1e10);
                left -= part;
            }
            ASSERT_EQ(Send(SplitPacket(labels[0].first, created)), QString()) << step;
        }
        ASSERT_EQ(total(activeUnits()), start) << step;
    }
    // A label nearly as heavy as its source and a crumb beside it create weight: refused.
    const auto labels = activeUnits();
    const QString reply = Send(SplitPacket(labels[0].first, {New(QStringLiteral("0001"), QStringLiteral("90000"), double(labels[0].second) / 1e10),
                                                             New(QStringLiteral("0001"), QStringLiteral("90001"), 0.00000099)}));
    EXPECT_TRUE(reply.startsWith(QLatin1String("Erro: O peso das novas etiquetas"))) << reply.toStdString();
    EXPECT_EQ(total(activeUnits()), start);
}

// A split into more labels than one statement carries: every label stored, in one change.
TEST_P(LabelChange, ALargeSplitStoresEveryLabel)
{
    const int count = 1201;
    QList<TNewLabel> created;
    const qint64 units = 123450000000LL;   // 12.345 kg
    for (int i = 0; i < count; ++i)
        created << New(QStringLiteral("0001"), QString::number(7 + i).rightJustified(5, QLatin1Char('0')),
                       double(units / count + (i == 0 ? units % count : 0)) / 1e10);
    ASSERT_EQ(Send(SplitPacket(DemoBarcode(1, 1), created)), QString());
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM ETIQUETA WHERE CDFILIAL = '0001' AND NRLANCTONF = '0000000001'"
                                   " AND NRSEQITPROD = '0001' AND IDSTATUSETIQ = 'A'")), 5 + count);
    EXPECT_EQ(Status(DemoBarcode(1, 1)), QStringLiteral("I"));
}

// Texts with a NUL byte never reach the database: a bad argument, on both databases.
TEST_P(LabelChange, TextsWithANulByteAreBadArguments)
{
    const QStringList before = Snapshot();
    const QString nul = QStringLiteral("0001") + QChar(0) + QStringLiteral("' OR '1'='1");
    EXPECT_TRUE(ReplyText(Call(QStringLiteral("GetProduto"), {Str(nul), Str(QStringLiteral("0000000001"))}))
                    .startsWith(QLatin1String("<erro -32602: ")));
    TChangePacket p = GroupingPacket({DemoBarcode(1, 1), DemoBarcode(1, 2) + QChar(0)}, New(QStringLiteral("0001"), QStringLiteral("00007"), 24.215));
    EXPECT_TRUE(Send(p).startsWith(QLatin1String("<erro -32602: "))) << Send(p).toStdString();
    EXPECT_EQ(Snapshot(), before);
}

TEST_P(LabelChange, SendingTheSameGroupingTwiceIsRefusedTheSecondTime)
{
    const TChangePacket p = GroupingPacket({DemoBarcode(1, 3), DemoBarcode(1, 4)},
                                           New(QStringLiteral("0001"), QStringLiteral("00007"), 13.002 + 12.5));
    ASSERT_EQ(Send(p), QString());
    const QStringList before = Snapshot();
    EXPECT_EQ(Send(p), QStringLiteral("Erro: A etiqueta %1 já está inativa.").arg(DemoBarcode(1, 3)));
    EXPECT_EQ(Snapshot(), before);
}

struct TRefusal {
    const char* name;
    std::function<TChangePacket()> packet;
    QString reason;   // part of the text after "Erro: "
};

TNewLabel Label(const char* item, const char* seq, double weight, const QString& barcode = QString())
{
    TNewLabel n;
    n.item = QString::fromLatin1(item);
    n.sequence = QString::fromLatin1(seq);
    n.weight = weight;
    n.barcode = barcode;
    return n;
}

TEST_P(LabelChange, EveryRefusedChangeAnswersErroWithItsReasonAndChangesNothing)
{
    const QString a1 = DemoBarcode(1, 1), a2 = DemoBarcode(1, 2);   // active, 12.345 and 11.87
    const double sum = 12.345 + 11.87;
    const QList<TRefusal> cases = {
        {"inativa", [&] { return GroupingPacket({DemoBarcode(2, 2), DemoBarcode(2, 3)}, Label("0002", "00004", 18.35)); },
         QStringLiteral("A etiqueta %1 já está inativa.").arg(DemoBarcode(2, 2))},
        {"reservada", [&] { return SplitPacket(DemoBarcode(2, 1), {Label("0002", "00004", 18.4)}); },
         QStringLiteral("A etiqueta %1 está reservada").arg(DemoBarcode(2, 1))},
        {"com pedido", [&] { return SplitPacket(DemoBarcode(4, 3), {Label("0004", "00005", 5.05)}); },
         QStringLiteral("já possui pedido (PV-000907)")},
        {"inexistente", [&] { return GroupingPacket({a1, DemoBarcode(1, 99)}, Label("0001", "00007", sum)); },
         QStringLiteral("A etiqueta %1 não existe.").arg(DemoBarcode(1, 99))},
        {"código com aspas, vírgula e chaves", [&] { return GroupingPacket({a1, QStringLiteral("x\"y,{z}\\w")}, Label("0001", "00007", sum)); },
         QStringLiteral("A etiqueta x\"y,{z}\\w não existe.")},
        {"itens diferentes", [&] { return GroupingPacket({a1, DemoBarcode(4, 1)}, Label("0001", "00007", 12.345 + 5.2)); },
         QStringLiteral("não pertencem todas ao mesmo item")},
        {"nova de outro item", [&] { return GroupingPacket({a1, a2}, Label("0004", "00005", sum)); },
         QStringLiteral("não pertencem todas ao mesmo item")},
        {"peso diferente", [&] { return GroupingPacket({a1, a2}, Label("0001", "00007", sum + 0.001)); },
         QStringLiteral("O peso das novas etiquetas (24,216) difere do peso das etiquetas inativadas (24,215).")},
        {"código que não é a chave", [&] { return GroupingPacket({a1, a2}, Label("0001", "00007", sum, DemoBarcode(1, 8))); },
         QStringLiteral("não corresponde à filial, ao lançamento, ao item e à sequência")},
        {"sequência sem zeros", [&] { return GroupingPacket({a1, a2}, Label("0001", "7", sum)); },
         QStringLiteral("não é um número de cinco dígitos")},
        {"sequência com letras", [&] { return GroupingPacket({a1, a2}, Label("0001", "0000A", sum)); },
         QStringLiteral("não é um número de cinco dígitos")},
        {"código em uso", [&] { return GroupingPacket({a1, a2}, Label("0001", "00003", sum)); },
         QStringLiteral("O código de barras %1 já está em uso.").arg(DemoBarcode(1, 3))},
        {"dois novos num agrupamento", [&] {
             return [&] {
                 TChangePacket p = GroupingPacket({a1, a2}, Label("0001", "00007", sum / 2));
                 p.changes << GroupingPacket({}, Label("0001", "00008", sum / 2)).changes.last();
                 return p;
             }();
         }, QStringLiteral("não é um agrupamento")},
        {"só inativação", [&] { TChangePacket p = SplitPacket(a1, {}); return p; }, QStringLiteral("não é um agrupamento")},
        {"só nova etiqueta", [&] { TChangePacket p = GroupingPacket({}, Label("0001", "00007", 1)); return p; },
         QStringLiteral("não é um agrupamento")},
        {"vazio", [&] { TChangePacket p = GroupingPacket({}, Label("0001", "00007", 1)); p.changes.clear(); return p; },
         QStringLiteral("está vazio")},
        {"modificação", [&] {
             TChangePacket p = GroupingPacket({a1, a2}, Label("0001", "00007", sum));
             p.changes[0].kind = TChangeKind::Modify;
             p.changes[0].oldRow = p.changes[0].newRow;
             return p;
         }, QStringLiteral("só pode conter inclusões")},
        {"situação R", [&] {
             TChangePacket p = GroupingPacket({a1, a2}, Label("0001", "00007", sum));
             p.changes.last().newRow[9] = QStringLiteral("R");
             return p;
         }, QStringLiteral("Situação de etiqueta inválida no pacote: \"R\"")},
        {"etiqueta repetida", [&] { return GroupingPacket({a1, a1}, Label("0001", "00007", 2 * 12.345)); },
         QStringLiteral("aparece mais de uma vez")},
        {"peso zero", [&] { return SplitPacket(a1, {Label("0001", "00007", 12.345), Label("0001", "00008", 0)}); },
         QStringLiteral("deve ser maior que zero")},
        {"peso abaixo do menor", [&] { return SplitPacket(a1, {Label("0001", "00007", 12.345), Label("0001", "00008", 5e-324)}); },
         QStringLiteral("menor que o menor peso aceito (0,0000000001)")},
        {"migalha de peso criada", [&] { return SplitPacket(a1, {Label("0001", "00007", 12.345), Label("0001", "00008", 0.00000099)}); },
         QStringLiteral("O peso das novas etiquetas (12,34500099) difere do peso das etiquetas inativadas (12,345).")},
        {"peso acima do maior", [&] { return SplitPacket(a1, {Label("0001", "00007", 1e10)}); },
         QStringLiteral("passa do maior peso aceito")},
        {"sem código", [&] {
             TChangePacket p = GroupingPacket({a1, a2}, Label("0001", "00007", sum));
             p.changes[0].newRow[10] = QVariant();
             return p;
         }, QStringLiteral("não informa o código de barras")},
    };
    const QStringList before = Snapshot();
    for (const TRefusal& c : cases) {
        const QString reply = Send(c.packet());
        EXPECT_TRUE(reply.startsWith(QLatin1String("Erro: "))) << c.name << ": " << reply.toStdString();
        EXPECT_TRUE(reply.contains(c.reason)) << c.name << ": " << reply.toStdString();
        EXPECT_EQ(reply.count(QLatin1String("Erro: ")), 1) << c.name;
    }
    EXPECT_EQ(Snapshot(), before);
}

TEST_P(LabelChange, APacketWithoutTheStatusColumnIsRefused)
{
    TChangePacket p = GroupingPacket({DemoBarcode(1, 1), DemoBarcode(1, 2)}, Label("0001", "00007", 24.215));
    p.fields.removeAt(9);
    for (TChange& c : p.changes)
        c.newRow.removeAt(9);
    EXPECT_EQ(Send(p), QStringLiteral("Erro: O pacote de alterações não tem o campo IDSTATUSETIQ."));
}

INSTANTIATE_TEST_SUITE_P(Databases, LabelChange, testing::Values(TDbKind::SQLite, TDbKind::PostgreSQL),
                         [](const auto& info) { return DbKindName(info.param).toStdString(); });

} // namespace
