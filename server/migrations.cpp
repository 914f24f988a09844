#include "migrations.h"

#include "sqlstatement.h"
#include "transaction.h"

#include <QDateTime>

namespace {

// The invoice number brought to ten characters with leading zeros, the form in which the client
// sends the number range. Written with functions both databases share so that one expression
// serves the query and the index.
const char* const TenDigitNumber =
    "(CASE WHEN LENGTH(NRNOTAFISC) >= 10 THEN NRNOTAFISC "
    "ELSE SUBSTR('0000000000', 1, 10 - LENGTH(NRNOTAFISC)) || NRNOTAFISC END)";

QList<TMigrationStep> BuildSteps()
{
    QList<TMigrationStep> steps;
    steps << TMigrationStep{
        1,
        QStringLiteral("Filiais, fornecedores, produtos, notas fiscais, itens e etiquetas"),
        {
            QStringLiteral("CREATE TABLE FILIAL ("
                           " CDFILIAL VARCHAR(4) NOT NULL PRIMARY KEY,"
                           " NMFILIAL VARCHAR(30) NOT NULL,"
                           " NRINSJURFILI VARCHAR(20),"
                           " NMCIDADE VARCHAR(40),"
                           " SGESTADO CHAR(2))"),
            QStringLiteral("CREATE TABLE FORNECEDOR ("
                           " CDFORNECED VARCHAR(21) NOT NULL PRIMARY KEY,"
                           " IDTPIJURFORN CHAR(1) NOT NULL CHECK (IDTPIJURFORN IN ('F', 'J')),"
                           " NRINSJURFORN VARCHAR(20) NOT NULL,"
                           " NMRAZSOCFORN VARCHAR(40) NOT NULL,"
                           " CDINSCESTA VARCHAR(16))"),
            QStringLiteral("CREATE TABLE PRODUTO ("
                           " CDPRODUTO VARCHAR(10) NOT NULL PRIMARY KEY,"
                           " CDARVPROD VARCHAR(20) NOT NULL,"
                           " NMPRODUTO VARCHAR(50) NOT NULL,"
                           " SGUNIDADE VARCHAR(10) NOT NULL)"),
            QStringLiteral("CREATE TABLE NOTAFISCAL ("
                           " CDFILIAL VARCHAR(4) NOT NULL REFERENCES FILIAL (CDFILIAL),"
                           " NRLANCTONF VARCHAR(10) NOT NULL,"
                           " CDFILIRECE VARCHAR(4) NOT NULL REFERENCES FILIAL (CDFILIAL),"
                           " CDFORNECED VARCHAR(21) NOT NULL REFERENCES FORNECEDOR (CDFORNECED),"
                           " NRNOTAFISC VARCHAR(20) NOT NULL,"
                           " CDSERIEENTR VARCHAR(5),"
                           " DTEMISSAO TIMESTAMP NOT NULL,"
                           " VRNOTAFISC DOUBLE PRECISION NOT NULL,"
                           " IDSTATUSNFE CHAR(1),"
                           " NRACESSONFE VARCHAR(50),"
                           " DSRODAP VARCHAR(40),"
                           " PRIMARY KEY (CDFILIAL, NRLANCTONF))"),
            QStringLiteral("CREATE TABLE ITEMNOTAFISCAL ("
                           " CDFILIAL VARCHAR(4) NOT NULL,"
                           " NRLANCTONF VARCHAR(10) NOT NULL,"
                           " NRSEQITPROD VARCHAR(4) NOT NULL,"
                           " CDPRODUTO VARCHAR(10) NOT NULL REFERENCES PRODUTO (CDPRODUTO),"
                           " LOTESUBLOTE VARCHAR(25),"
                           " QTITEMPROD DOUBLE PRECISION NOT NULL,"
                           " DTVALILOTE TIMESTAMP,"
                           " NRPEDEXOL VARCHAR(20),"
                           " PRIMARY KEY (CDFILIAL, NRLANCTONF, NRSEQITPROD),"
                           " FOREIGN KEY (CDFILIAL, NRLANCTONF) REFERENCES NOTAFISCAL (CDFILIAL, NRLANCTONF))"),
            QStringLiteral("CREATE TABLE ETIQUETA ("
                           " CDCODBARRAETIQ VARCHAR(50) NOT NULL PRIMARY KEY,"
                           " CDFILIAL VARCHAR(4) NOT NULL,"
                           " NRLANCTONF VARCHAR(10) NOT NULL,"
                           " NRSEQITPROD VARCHAR(4) NOT NULL,"
                           " NRSEQETIQ VARCHAR(20) NOT NULL,"
                           " CDPRODUTO VARCHAR(10) NOT NULL REFERENCES PRODUTO (CDPRODUTO),"
                           " QTETIQPROD DOUBLE PRECISION NOT NULL,"
                           " VRPESOETIQ DOUBLE PRECISION NOT NULL,"
                           " QTTOTALPRODETIQ DOUBLE PRECISION,"
                           " IDSTATUSETIQ CHAR(1) NOT NULL CHECK (IDSTATUSETIQ IN ('A', 'R', 'I')),"
                           " NRPEDEXOL VARCHAR(20),"
                           " FOREIGN KEY (CDFILIAL, NRLANCTONF, NRSEQITPROD)"
                           "  REFERENCES ITEMNOTAFISCAL (CDFILIAL, NRLANCTONF, NRSEQITPROD))"),
        }};
    steps << TMigrationStep{
        2,
        QStringLiteral("Índices dos filtros de notas fiscais e da busca de etiquetas"),
        {
            QStringLiteral("CREATE INDEX NOTAFISCAL_EMISSAO ON NOTAFISCAL (DTEMISSAO)"),
            QStringLiteral("CREATE INDEX NOTAFISCAL_FILIAL_EMISSAO ON NOTAFISCAL (CDFILIAL, DTEMISSAO)"),
            QStringLiteral("CREATE INDEX NOTAFISCAL_FORNECEDOR ON NOTAFISCAL (CDFORNECED, DTEMISSAO)"),
            QStringLiteral("CREATE INDEX NOTAFISCAL_NUMERO ON NOTAFISCAL (%1)").arg(QLatin1String(TenDigitNumber)),
            QStringLiteral("CREATE UNIQUE INDEX ETIQUETA_CODBARRA ON ETIQUETA ((UPPER(CDCODBARRAETIQ)))"),
            QStringLiteral("CREATE UNIQUE INDEX ETIQUETA_ITEM_SEQ ON ETIQUETA (CDFILIAL, NRLANCTONF, NRSEQITPROD, NRSEQETIQ)"),
        }};
    steps << TMigrationStep{
        3,
        QStringLiteral("Auditoria das alterações de etiquetas"),
        {
            QStringLiteral("CREATE TABLE AUDITETIQUETA ("
                           " NRAUDITETIQ %AUTOID%,"
                           " DTALTERACAO TIMESTAMP NOT NULL,"
                           " DSENDCLIENTE VARCHAR(64) NOT NULL,"
                           " IDTIPOALTER VARCHAR(15) NOT NULL CHECK (IDTIPOALTER IN ('AGRUPAMENTO', 'DESMEMBRAMENTO')),"
                           " CDFILIAL VARCHAR(4) NOT NULL,"
                           " NRLANCTONF VARCHAR(10) NOT NULL,"
                           " NRSEQITPROD VARCHAR(4) NOT NULL,"
                           " DSETIQINATIVADAS TEXT NOT NULL,"
                           " DSETIQCRIADAS TEXT NOT NULL)"),
            QStringLiteral("CREATE INDEX AUDITETIQUETA_DATA ON AUDITETIQUETA (DTALTERACAO)"),
            QStringLiteral("CREATE INDEX AUDITETIQUETA_ITEM ON AUDITETIQUETA (CDFILIAL, NRLANCTONF, NRSEQITPROD)"),
        }};
    return steps;
}

QString ForDialect(QString sql, TDialect dialect)
{
    return sql.replace(QLatin1String("%AUTOID%"),
                       dialect == TDialect::SQLite
                           ? QLatin1String("INTEGER PRIMARY KEY AUTOINCREMENT")
                           : QLatin1String("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"));
}

// Serializes schema changes between servers: SQLite already holds the write lock of BEGIN
// IMMEDIATE; PostgreSQL takes a transaction-scoped advisory lock.
void LockSchema(TSqlConnection& db, TDialect dialect)
{
    if (dialect == TDialect::PostgreSQL)
        TSqlStatement::Run(db, QStringLiteral("SELECT pg_advisory_xact_lock(99000)"));
}

int ReadVersion(TSqlConnection& db)
{
    TSqlStatement q(db, QStringLiteral("SELECT COALESCE(MAX(version), 0) FROM schema_version"));
    q.Exec();
    return q.Next() ? q.Value(0).toInt() : 0;
}

} // namespace

const QList<TMigrationStep>& TMigrations::Steps()
{
    static const QList<TMigrationStep> steps = BuildSteps();
    return steps;
}

int TMigrations::LatestVersion()
{
    return Steps().isEmpty() ? 0 : Steps().last().version;
}

int TMigrations::CurrentVersion(TDatabase& database)
{
    return ReadVersion(database.Connection());
}

int TMigrations::Apply(TDatabase& database)
{
    TSqlConnection& db = database.Connection();
    const TDialect dialect = database.Dialect();
    {
        TTransaction t(db);
        LockSchema(db, dialect);
        TSqlStatement::Run(db, QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version ("
                                              " version INTEGER NOT NULL PRIMARY KEY,"
                                              " description VARCHAR(200) NOT NULL,"
                                              " applied_at VARCHAR(19) NOT NULL)"));
        t.Commit();
    }
    int reached = 0;
    for (const TMigrationStep& step : Steps()) {
        TTransaction t(db);
        LockSchema(db, dialect);
        reached = ReadVersion(db);
        if (reached >= step.version)
            continue;   // already applied (the transaction rolls back, nothing to undo)
        for (const QString& sql : step.statements)
            TSqlStatement::Run(db, ForDialect(sql, dialect));
        TSqlStatement(db, QStringLiteral("INSERT INTO schema_version (version, description, applied_at)"
                                         " VALUES (:v, :d, :t)"))
            .Bind(QStringLiteral(":v"), step.version)
            .Bind(QStringLiteral(":d"), step.description)
            .Bind(QStringLiteral(":t"), QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
            .Exec();
        t.Commit();
        reached = step.version;
    }
    return reached;
}

QString TMigrations::TenDigitNumberExpression()
{
    return QString::fromLatin1(TenDigitNumber);
}
