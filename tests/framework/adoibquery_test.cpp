#include "fixtures.h"

#include "framework/adoibquery.h"
#include "framework/hostdatabase.h"
#include "platform/errors.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

class LookupQuery : public ::testing::Test {
protected:
    QTemporaryDir dir;
    TADOIBQuery query;

    void SetUp() override
    {
        const QString file = dir.filePath(QStringLiteral("host.db"));
        dtmDBGeral().Connect(file);
        QSqlQuery sql(dtmDBGeral().Database());
        ASSERT_TRUE(sql.exec(QStringLiteral("CREATE TABLE FORNECEDOR (CDFORNECED TEXT, NMRAZSOCFORN TEXT, "
                                            "IDTPIJURFORN CHAR(1), EXTRA TEXT)")));
        ASSERT_TRUE(sql.exec(QStringLiteral("INSERT INTO FORNECEDOR VALUES ('20', 'Beta Ltda', 'J', 'x'), "
                                            "('10', 'Alfa ', 'F', 'y')")));
        query.AddField(QStringLiteral("CDFORNECED"), TFieldType::String, 21);
        query.AddField(QStringLiteral("NMRAZSOCFORN"), TFieldType::String, 40);
        query.AddField(QStringLiteral("IDTPIJURFORN"), TFieldType::String, 1);
        query.AddField(QStringLiteral("NRINSJURFORN"), TFieldType::String, 20);
    }
    void TearDown() override { dtmDBGeral().Disconnect(); }
};

TEST_F(LookupQuery, OpenFillsTheDeclaredFieldsFromTheColumnsOfTheSameName)
{
    query.SQL = {QStringLiteral("SELECT cdforneced, NMRAZSOCFORN, IDTPIJURFORN, EXTRA"), QStringLiteral("FROM FORNECEDOR"),
                 QStringLiteral("ORDER BY CDFORNECED")};
    query.Open();
    ASSERT_EQ(query.RecordCount(), 2);
    EXPECT_EQ(query.FieldByName(QStringLiteral("CDFORNECED"))->AsString(), QStringLiteral("10"));
    EXPECT_EQ(query.FieldByName(QStringLiteral("NMRAZSOCFORN"))->AsString(), QStringLiteral("Alfa"));
    EXPECT_TRUE(query.FieldByName(QStringLiteral("NRINSJURFORN"))->IsNull());
    EXPECT_EQ(query.ChangeCount(), 0);
    query.Close();
    EXPECT_FALSE(query.Active());
    query.Open();
    EXPECT_EQ(query.RecordCount(), 2);
}

TEST_F(LookupQuery, AStatementTheDatabaseRefusesRaisesAndLeavesTheQueryClosed)
{
    query.SQL = {QStringLiteral("SELECT * FROM FILIAIS_INEXISTENTES")};
    EXPECT_THROW(query.Open(), EDatabaseError);
    EXPECT_FALSE(query.Active());
}

TEST(HostDatabase, TellsPostgresConnectionStringsFromSqliteFiles)
{
    EXPECT_TRUE(TdtmDBGeral::IsPostgres(QStringLiteral("host=db port=5432 dbname=est user=clerk")));
    EXPECT_TRUE(TdtmDBGeral::IsPostgres(QStringLiteral("postgresql://clerk:pw@db:5432/est")));
    EXPECT_FALSE(TdtmDBGeral::IsPostgres(QStringLiteral("/var/lib/est/host.db")));
}
