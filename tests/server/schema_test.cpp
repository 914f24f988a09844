// Schema versions and demo data: migrations run once, in order, and keep the data; the demo data
// hold what the screens and the other tests rely on, the same rows on every run.

#include "servertestkit.h"

#include "server/demodata.h"
#include "server/migrations.h"
#include "server/sqlstatement.h"

#include <gtest/gtest.h>

namespace {

class Schema : public DatabaseTest {
protected:
    QStringList Rows(const QString& sql, int columns = 1)
    {
        TSqlStatement q(db_.database->Connection(), sql);
        q.Exec();
        QStringList rows;
        while (q.Next()) {
            QStringList cols;
            for (int i = 0; i < columns; ++i)
                cols << q.Text(i).trimmed();
            rows << cols.join(QLatin1Char('|'));
        }
        return rows;
    }
};

TEST_P(Schema, MigrationsRunOnceAndKeepTheData)
{
    EXPECT_EQ(TMigrations::CurrentVersion(*db_.database), TMigrations::LatestVersion());
    const QStringList labels = Rows(QStringLiteral("SELECT COUNT(*) FROM ETIQUETA"));
    EXPECT_EQ(TMigrations::Apply(*db_.database), TMigrations::LatestVersion());
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) FROM schema_version")),
              QStringList{QString::number(TMigrations::Steps().size())});
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) FROM ETIQUETA")), labels);
    EXPECT_FALSE(TDemoData::Fill(*db_.database, 1));   // data present: nothing added
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) FROM ETIQUETA")), labels);
}

TEST_P(Schema, TheHostLookupQueriesRunOnTheServerTables)
{
    const QStringList branches = Rows(QStringLiteral("SELECT CDFILIAL, NMFILIAL\nFROM FILIAL\nORDER BY CDFILIAL"), 2);
    ASSERT_GE(branches.size(), 3);
    EXPECT_EQ(branches[0], QStringLiteral("0001|Matriz"));
    const QStringList suppliers = Rows(QStringLiteral("SELECT IDTPIJURFORN,\nNRINSJURFORN,\nNMRAZSOCFORN,\nCDFORNECED\n"
                                                      "FROM FORNECEDOR\nORDER BY CDFORNECED"), 4);
    int people = 0, companies = 0;
    for (const QString& s : suppliers) {
        const QStringList c = s.split(QLatin1Char('|'));
        if (c[0] == QLatin1String("F")) {
            ++people;
            EXPECT_EQ(c[1].size(), 11) << s.toStdString();
        } else {
            ++companies;
            EXPECT_EQ(c[1].size(), 14) << s.toStdString();
        }
    }
    EXPECT_GT(people, 0);
    EXPECT_GT(companies, 0);
}

TEST_P(Schema, DemoDataHoldTheLabelSituationsOfBranch0001)
{
    EXPECT_EQ(Rows(QStringLiteral("SELECT DISTINCT IDSTATUSETIQ FROM ETIQUETA ORDER BY IDSTATUSETIQ")),
              (QStringList{QStringLiteral("A"), QStringLiteral("I"), QStringLiteral("R")}));
    EXPECT_FALSE(Rows(QStringLiteral("SELECT CDCODBARRAETIQ FROM ETIQUETA WHERE NRPEDEXOL IS NOT NULL")).isEmpty());
    EXPECT_TRUE(Rows(QStringLiteral("SELECT CDCODBARRAETIQ FROM ETIQUETA WHERE VRPESOETIQ <= 0 OR LENGTH(CDCODBARRAETIQ) <> 23")).isEmpty());
    EXPECT_TRUE(Rows(QStringLiteral("SELECT NRACESSONFE FROM NOTAFISCAL WHERE LENGTH(NRACESSONFE) <> 44")).isEmpty());
    EXPECT_GE(Rows(QStringLiteral("SELECT DISTINCT CDFILIAL FROM NOTAFISCAL")).size(), 3);
    // The fixed invoice: an item with at least four active labels, one with only R/I labels, one without labels.
    EXPECT_EQ(Rows(QStringLiteral("SELECT i.NRSEQITPROD, COUNT(e.CDCODBARRAETIQ),"
                                  " COUNT(CASE WHEN e.IDSTATUSETIQ = 'A' THEN 1 END)"
                                  " FROM ITEMNOTAFISCAL i LEFT JOIN ETIQUETA e ON e.CDFILIAL = i.CDFILIAL"
                                  " AND e.NRLANCTONF = i.NRLANCTONF AND e.NRSEQITPROD = i.NRSEQITPROD"
                                  " WHERE i.CDFILIAL = '0001' AND i.NRLANCTONF = '0000000001'"
                                  " GROUP BY i.NRSEQITPROD ORDER BY i.NRSEQITPROD"), 3),
              (QStringList{QStringLiteral("0001|6|6"), QStringLiteral("0002|3|0"), QStringLiteral("0003|0|0"),
                           QStringLiteral("0004|4|3")}));
}

TEST(DemoData, TheSameScaleGivesTheSameRows)
{
    auto labels = [](TTestDatabase& t) {
        TSqlStatement q(t.database->Connection(),
                        QStringLiteral("SELECT CDCODBARRAETIQ, VRPESOETIQ, IDSTATUSETIQ FROM ETIQUETA ORDER BY CDCODBARRAETIQ"));
        q.Exec();
        QStringList rows;
        while (q.Next())
            rows << q.Text(0) + q.Text(1) + q.Text(2);
        return rows;
    };
    TTestDatabase a = MakeTestDatabase(TDbKind::SQLite), b = MakeTestDatabase(TDbKind::SQLite);
    ASSERT_TRUE(a.error.isEmpty() && b.error.isEmpty());
    EXPECT_EQ(labels(a), labels(b));
    EXPECT_GT(labels(a).size(), 100);
}

INSTANTIATE_TEST_SUITE_P(Databases, Schema, testing::Values(TDbKind::SQLite, TDbKind::PostgreSQL),
                         [](const auto& info) { return DbKindName(info.param).toStdString(); });

} // namespace
