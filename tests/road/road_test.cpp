// The typical road of the label module end to end: the screens driven as the clerk drives them
// against a real server process, on SQLite and on PostgreSQL; afterwards the server's database is
// read directly (labels and audit), the printed PDF is read back as a scanner would, and the
// est-road program's exit status and messages are checked for a good and a failing road.
//
// The demonstration invoice 0001/0000000001 has six active labels on item 0001 (00001-00006);
// the road groups 00001 (12,345 kg) and 00002 (11,87 kg) into 00007, splits 00003 (13,002 kg)
// into two labels of 3,25 kg and one of 6,502 kg, numbered 00008-00010, prints the four new
// labels, then scans 00004 and 00005 one after the other, marking each, and groups them into
// 00011.

#include "host/road/road.h"
#include "host/serverprocess/serverprocess.h"
#include "report/pdfpages.h"
#include "support/pgcluster.h"
#include "support/printto.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>

namespace {

const QString kItem = QStringLiteral("0001");

QString Barcode(const QString& sequence)
{
    return QStringLiteral("00010000000001") + kItem + sequence;
}

QString SourceDir()
{
    return qEnvironmentVariable("EST_SOURCE_DIR");
}

QString RoadExecutable()
{
    return QFileInfo(TServerProcess::Executable()).dir().filePath(QStringLiteral("est-road"));
}

QStringList Sorted(QStringList list)
{
    list.sort();
    return list;
}

// A label as the server's database holds it.
struct TStoredLabel {
    bool found = false;
    QString status, sequence, branch, entry, item, product;
    double weight = 0, quantity = 0;
};

// One applied change as the audit table holds it.
struct TAuditRow {
    QString kind, branch, entry, item, client, when;
    QStringList inactivated, created;
};

class TStoredData {
public:
    explicit TStoredData(const QSqlDatabase& db) : db_(db) {}

    TStoredLabel Label(const QString& barcode) const
    {
        QSqlQuery q(db_);
        q.prepare(QStringLiteral("SELECT IDSTATUSETIQ, NRSEQETIQ, CDFILIAL, NRLANCTONF, NRSEQITPROD, CDPRODUTO,"
                                 " VRPESOETIQ, QTETIQPROD FROM ETIQUETA WHERE CDCODBARRAETIQ = ?"));
        q.addBindValue(barcode);
        TStoredLabel label;
        if (!q.exec() || !q.next())
            return label;
        label = {true, q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                 q.value(4).toString(), q.value(5).toString(), q.value(6).toDouble(), q.value(7).toDouble()};
        return label;
    }

    // Every label of the item, by barcode, with its status.
    QMap<QString, QString> ItemLabels() const
    {
        QSqlQuery q(db_);
        q.prepare(QStringLiteral("SELECT CDCODBARRAETIQ, IDSTATUSETIQ FROM ETIQUETA"
                                 " WHERE CDFILIAL = '0001' AND NRLANCTONF = '0000000001' AND NRSEQITPROD = ?"));
        q.addBindValue(kItem);
        QMap<QString, QString> labels;
        if (q.exec())
            while (q.next())
                labels.insert(q.value(0).toString(), q.value(1).toString());
        return labels;
    }

    QString ItemProduct() const
    {
        QSqlQuery q(db_);
        q.prepare(QStringLiteral("SELECT CDPRODUTO FROM ITEMNOTAFISCAL"
                                 " WHERE CDFILIAL = '0001' AND NRLANCTONF = '0000000001' AND NRSEQITPROD = ?"));
        q.addBindValue(kItem);
        return q.exec() && q.next() ? q.value(0).toString() : QString();
    }

    QList<TAuditRow> Audit() const
    {
        QSqlQuery q(db_);
        QList<TAuditRow> rows;
        if (!q.exec(QStringLiteral("SELECT IDTIPOALTER, CDFILIAL, NRLANCTONF, NRSEQITPROD, DSENDCLIENTE, DTALTERACAO,"
                                   " DSETIQINATIVADAS, DSETIQCRIADAS FROM AUDITETIQUETA ORDER BY NRAUDITETIQ")))
            return rows;
        while (q.next()) {
            rows.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                         q.value(4).toString(), q.value(5).toString(),
                         Sorted(q.value(6).toString().split(QLatin1Char(','), Qt::SkipEmptyParts)),
                         Sorted(q.value(7).toString().split(QLatin1Char(','), Qt::SkipEmptyParts))});
        }
        return rows;
    }

private:
    QSqlDatabase db_;
};

class RoadEndToEnd : public ::testing::Test {
protected:
    QTemporaryDir output;
    TRoadFacts facts;

    void SetUp() override { ASSERT_TRUE(output.isValid()); }

    // The whole road on the server's database; every step must do what it should.
    void Walk(const QString& database)
    {
        TRoadOptions options;
        options.serverPath = TServerProcess::Executable();
        options.database = database;
        options.outputDir = output.path();
        options.reportsDir = QDir(SourceDir()).filePath(QStringLiteral("reports"));
        options.quiet = true;
        TRoad road(options);
        const TRoadStepResult start = road.Start();
        ASSERT_TRUE(start.ok) << start.failure.toStdString();
        for (const TRoad::TStep& step : TRoad::Steps()) {
            const TRoadStepResult result = road.Run(step);
            ASSERT_TRUE(result.ok) << "passo " << step.number << " (" << step.name.toStdString()
                                   << "): " << result.failure.toStdString() << "\n"
                                   << road.Ui().Log().join('\n').toStdString();
        }
        facts = road.Facts();
        road.Finish();
    }

    void CheckDatabase(const QSqlDatabase& db)
    {
        const TStoredData stored(db);
        const QString product = stored.ItemProduct();
        ASSERT_FALSE(product.isEmpty());

        // What the road reports having done is what the demonstration invoice leads to.
        ASSERT_EQ(facts.item, kItem);
        ASSERT_EQ(facts.grouped.size(), 2);
        EXPECT_EQ(facts.grouped.at(0).barcode, Barcode("00001"));
        EXPECT_EQ(facts.grouped.at(1).barcode, Barcode("00002"));
        EXPECT_EQ(facts.group.barcode, Barcode("00007"));

        // The grouping: both labels inactive, the new one active with their summed weight,
        // quantity 1 and the sequence after the item's highest.
        const TStoredLabel first = stored.Label(Barcode("00001")), second = stored.Label(Barcode("00002"));
        EXPECT_EQ(first.status, "I");
        EXPECT_EQ(second.status, "I");
        const TStoredLabel group = stored.Label(Barcode("00007"));
        ASSERT_TRUE(group.found);
        EXPECT_EQ(group.sequence, "00007");
        EXPECT_EQ(group.branch + group.entry + group.item, "00010000000001" + kItem);
        EXPECT_NEAR(group.weight, first.weight + second.weight, 1e-9);
        EXPECT_NEAR(group.weight, 24.215, 1e-9);
        EXPECT_EQ(group.quantity, 1);
        EXPECT_EQ(group.product, product);
        EXPECT_EQ(group.status, "A");

        // The split: the source inactive, three new active labels numbered after 00007 by
        // weight, adding up to it.
        EXPECT_EQ(facts.splitSource.barcode, Barcode("00003"));
        const TStoredLabel source = stored.Label(Barcode("00003"));
        EXPECT_EQ(source.status, "I");
        EXPECT_NEAR(source.weight, 13.002, 1e-9);
        const struct {
            const char* sequence;
            double weight, quantity;
        } made[] = {{"00008", 3.25, 2}, {"00009", 3.25, 2}, {"00010", 6.502, 1}};
        double total = 0;
        QStringList created;
        for (const auto& m : made) {
            const QString barcode = Barcode(QLatin1String(m.sequence));
            created << barcode;
            const TStoredLabel label = stored.Label(barcode);
            ASSERT_TRUE(label.found) << barcode.toStdString();
            EXPECT_EQ(label.status, "A") << m.sequence;
            EXPECT_EQ(label.sequence, QLatin1String(m.sequence));
            EXPECT_NEAR(label.weight, m.weight, 1e-9) << m.sequence;
            EXPECT_EQ(label.quantity, m.quantity) << m.sequence;
            EXPECT_EQ(label.product, product);
            total += label.weight;
        }
        EXPECT_NEAR(total, source.weight, 1e-9);
        ASSERT_EQ(facts.split.size(), 3);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(facts.split.at(i).barcode, created.at(i));
            EXPECT_NEAR(facts.split.at(i).weight, made[i].weight, 1e-9);
        }

        // The two labels scanned and marked one after the other after the printing: grouped
        // into 00011.
        ASSERT_EQ(facts.scanGrouped.size(), 2);
        EXPECT_EQ(facts.scanGrouped.at(0).barcode, Barcode("00004"));
        EXPECT_EQ(facts.scanGrouped.at(1).barcode, Barcode("00005"));
        EXPECT_EQ(facts.scanGroup.barcode, Barcode("00011"));
        const TStoredLabel scanned = stored.Label(Barcode("00011"));
        ASSERT_TRUE(scanned.found);
        EXPECT_EQ(scanned.status, "A");
        EXPECT_NEAR(scanned.weight, 12.5 + 10.25, 1e-9);
        for (const char* grouped : {"00004", "00005"})
            EXPECT_EQ(stored.Label(Barcode(QLatin1String(grouped))).status, "I") << grouped;

        // Nothing else of the item changed.
        const QMap<QString, QString> labels = stored.ItemLabels();
        EXPECT_EQ(labels.size(), 11);
        EXPECT_EQ(labels.value(Barcode("00006")), "A");

        // One audit row per applied change, in order.
        const QList<TAuditRow> audit = stored.Audit();
        ASSERT_EQ(audit.size(), 3);
        EXPECT_EQ(audit.at(2).kind, "AGRUPAMENTO");
        EXPECT_EQ(audit.at(2).inactivated, QStringList({Barcode("00004"), Barcode("00005")}));
        EXPECT_EQ(audit.at(2).created, QStringList({Barcode("00011")}));
        EXPECT_EQ(audit.at(0).kind, "AGRUPAMENTO");
        EXPECT_EQ(audit.at(0).inactivated, QStringList({Barcode("00001"), Barcode("00002")}));
        EXPECT_EQ(audit.at(0).created, QStringList({Barcode("00007")}));
        EXPECT_EQ(audit.at(1).kind, "DESMEMBRAMENTO");
        EXPECT_EQ(audit.at(1).inactivated, QStringList({Barcode("00003")}));
        EXPECT_EQ(audit.at(1).created, created);
        for (const TAuditRow& row : audit) {
            EXPECT_EQ(row.branch + row.entry + row.item, "00010000000001" + kItem);
            EXPECT_TRUE(row.client.startsWith("127.0.0.1")) << row.client.toStdString();
            EXPECT_FALSE(row.when.isEmpty());
        }
    }

    // The barcodes printed are the print set's, as a scanner reads them off the page.
    void CheckPdf()
    {
        ASSERT_EQ(facts.pdfPath, output.filePath("etiquetas.pdf"));
        const QStringList expected{Barcode("00007"), Barcode("00008"), Barcode("00009"), Barcode("00010")};
        EXPECT_EQ(facts.printSet, expected);
        EXPECT_EQ(PdfPageCount(facts.pdfPath), 1);
        QTemporaryDir pages;
        QStringList read;
        for (const TFoundBarcode& found : DecodeBarcodes(RasterizePdf(facts.pdfPath, pages.path(), 200)))
            read << found.text;
        EXPECT_EQ(Sorted(read), facts.printSet);
        const QString text = PdfText(facts.pdfPath);
        EXPECT_EQ(text.count(QStringLiteral("24,215")), 1) << text.toStdString();
        EXPECT_EQ(text.count(QStringLiteral("3,250")), 2) << text.toStdString();
        EXPECT_EQ(text.count(QStringLiteral("6,502")), 1) << text.toStdString();
    }
};

TEST_F(RoadEndToEnd, OnSQLiteEveryStepDoesItsPartAndTheServerHoldsTheGroupingAndTheSplit)
{
    const QString database = output.filePath(QStringLiteral("servidor.db"));
    Walk(database);
    if (HasFatalFailure())
        return;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("road-sqlite"));
        db.setDatabaseName(database);
        ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
        CheckDatabase(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("road-sqlite"));
    CheckPdf();

    // A picture of the query screen after every step, and of the split and report screens while open.
    QStringList pictures;
    for (const TRoad::TStep& step : TRoad::Steps())
        pictures << QStringLiteral("%1-%2-est99000.png").arg(step.number, 2, 10, QLatin1Char('0')).arg(step.slug);
    pictures << "06-desmembramento-est99020.png" << "07-relatorio-est99010.png" << "08-impressao-pdf-est99010.png";
    for (const QString& name : pictures)
        EXPECT_FALSE(QImage(output.filePath(name)).isNull()) << name.toStdString();
}

TEST_F(RoadEndToEnd, OnPostgreSQLTheSameRoadLeavesTheSameChanges)
{
    TPgCluster pg;
    if (!pg.Start()) {
        if (pg.Missing())
            GTEST_SKIP() << pg.Error().toStdString();
        FAIL() << pg.Error().toStdString();
    }
    const QString url = pg.CreateDatabase(QStringLiteral("estrada"));
    ASSERT_FALSE(url.isEmpty()) << pg.Error().toStdString();
    Walk(url);
    if (HasFatalFailure())
        return;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("road-pg"));
        db.setHostName(QStringLiteral("127.0.0.1"));
        db.setPort(pg.Port());
        db.setUserName(QStringLiteral("postgres"));
        db.setDatabaseName(QStringLiteral("estrada"));
        ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
        CheckDatabase(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("road-pg"));
    CheckPdf();
}

// The program itself, as ./run --screenshots runs it.
class RoadProgram : public ::testing::Test {
protected:
    QTemporaryDir output;
    QString out, err;

    int Run(const QStringList& args)
    {
        QProcess process;
        process.start(RoadExecutable(), args);
        if (!process.waitForFinished(300000))
            return -1;
        out = QString::fromUtf8(process.readAllStandardOutput());
        err = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};

TEST_F(RoadProgram, ExitsWithOneNamingTheStepWhenAStepFails)
{
    // Without report definitions the report screen lists no layout, so the road stops at step 7.
    QTemporaryDir noReports;
    EXPECT_EQ(Run({"--output", output.path(), "--server", TServerProcess::Executable(), "--reports", noReports.path()}), 1)
        << out.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("Falha no passo 7 (tela de relatório com as novas etiquetas)"))) << err.toStdString();
    EXPECT_TRUE(err.contains(noReports.path())) << err.toStdString();
    EXPECT_FALSE(QFile::exists(output.filePath("etiquetas.pdf")));
    // The steps before it left their pictures, and the log shows what the clerk was told.
    EXPECT_TRUE(QFile::exists(output.filePath("06-desmembramento-est99020.png")));
    EXPECT_TRUE(out.contains(QStringLiteral("[passo 5] mensagem: Agrupamento realizado com sucesso."))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("[passo 6] pergunta: Deseja confirmar o desmembramento? -> Sim")));
}

TEST_F(RoadProgram, ExitsWithOneWhenTheServerDoesNotStartAndWithTwoWithoutAnOutputFolder)
{
    EXPECT_EQ(Run({"--output", output.path(), "--server", output.filePath("nao-existe")}), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("Falha ao iniciar o roteiro: o servidor de aplicação não iniciou"))) << err.toStdString();
    EXPECT_EQ(Run({"--server", TServerProcess::Executable()}), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("--output"))) << err.toStdString();
}

} // namespace
