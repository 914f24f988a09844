#include "labelqueries.h"

#include "dbvalues.h"
#include "migrations.h"
#include "replywriter.h"
#include "sqlstatement.h"

#include "labels/labelcodes.h"
#include "labels/packetlayouts.h"

namespace {

QString Placeholders(const QString& prefix, int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names << QStringLiteral(":%1%2").arg(prefix).arg(i);
    return names.join(QStringLiteral(", "));
}

} // namespace

void TLabelQueries::WriteInvoices(TReplyWriter& out, const TInvoiceFilter& filter)
{
    QString sql = QStringLiteral(
        "SELECT n.CDFILIAL, n.NRLANCTONF, n.CDFILIRECE, f.CDINSCESTA, f.NRINSJURFORN AS NRINSJURNF,"
        " f.NMRAZSOCFORN, n.NRNOTAFISC, n.CDSERIEENTR, n.DTEMISSAO, n.VRNOTAFISC, n.IDSTATUSNFE, n.NRACESSONFE,"
        " f.IDTPIJURFORN AS IDTPIJURNF, n.DSRODAP"
        " FROM NOTAFISCAL n JOIN FORNECEDOR f ON f.CDFORNECED = n.CDFORNECED WHERE 1 = 1");
    if (!filter.branches.isEmpty())
        sql += QStringLiteral(" AND n.CDFILIAL IN (%1)").arg(Placeholders(QStringLiteral("fil"), filter.branches.size()));
    if (!filter.suppliers.isEmpty())
        sql += QStringLiteral(" AND n.CDFORNECED IN (%1)").arg(Placeholders(QStringLiteral("forn"), filter.suppliers.size()));
    if (filter.firstDay.isValid())
        sql += QStringLiteral(" AND n.DTEMISSAO >= :dtini");
    if (filter.lastDay.isValid())
        sql += QStringLiteral(" AND n.DTEMISSAO < :dtfim");
    if (!filter.firstNumber.isEmpty())
        sql += QStringLiteral(" AND %1 >= :numini").arg(TMigrations::TenDigitNumberExpression());
    if (!filter.lastNumber.isEmpty())
        sql += QStringLiteral(" AND %1 <= :numfim").arg(TMigrations::TenDigitNumberExpression());
    if (!filter.barcode.isEmpty())
        sql += QStringLiteral(" AND EXISTS (SELECT 1 FROM ETIQUETA e WHERE e.CDFILIAL = n.CDFILIAL"
                              " AND e.NRLANCTONF = n.NRLANCTONF AND UPPER(e.CDCODBARRAETIQ) = :codbarra)");
    sql += QStringLiteral(" ORDER BY n.CDFILIAL, n.NRLANCTONF");

    TSqlStatement q(database_.Connection(), sql);
    for (int i = 0; i < filter.branches.size(); ++i)
        q.Bind(QStringLiteral(":fil%1").arg(i), filter.branches[i]);
    for (int i = 0; i < filter.suppliers.size(); ++i)
        q.Bind(QStringLiteral(":forn%1").arg(i), filter.suppliers[i]);
    if (filter.firstDay.isValid())
        q.Bind(QStringLiteral(":dtini"), SqlDateTimeText(WallClock(filter.firstDay)));
    if (filter.lastDay.isValid())
        q.Bind(QStringLiteral(":dtfim"), SqlDateTimeText(WallClock(filter.lastDay.addDays(1))));
    if (!filter.firstNumber.isEmpty())
        q.Bind(QStringLiteral(":numini"), filter.firstNumber);
    if (!filter.lastNumber.isEmpty())
        q.Bind(QStringLiteral(":numfim"), filter.lastNumber);
    if (!filter.barcode.isEmpty())
        q.Bind(QStringLiteral(":codbarra"), filter.barcode.toUpper());
    q.Exec();
    out.Packet(PacketFields(InvoicePacketLayout()), q, nullptr);
}

const char* TLabelQueries::ItemsSql()
{
    return "SELECT i.CDFILIAL, i.NRLANCTONF, p.CDPRODUTO, p.CDARVPROD, p.NMPRODUTO, p.SGUNIDADE, i.LOTESUBLOTE,"
           " i.QTITEMPROD, i.NRSEQITPROD, i.DTVALILOTE, i.NRPEDEXOL"
           " FROM ITEMNOTAFISCAL i JOIN PRODUTO p ON p.CDPRODUTO = i.CDPRODUTO"
           " WHERE i.CDFILIAL = :fil AND i.NRLANCTONF = :lanc ORDER BY i.NRSEQITPROD";
}

const char* TLabelQueries::LabelsSql()
{
    return "SELECT CDFILIAL, NRLANCTONF, NRSEQITPROD, NRSEQETIQ, CDPRODUTO, QTETIQPROD, VRPESOETIQ,"
           " QTTOTALPRODETIQ, IDSTATUSETIQ, CDCODBARRAETIQ, NRPEDEXOL"
           " FROM ETIQUETA WHERE CDFILIAL = :fil AND NRLANCTONF = :lanc"
           " ORDER BY NRSEQITPROD, LENGTH(NRSEQETIQ), NRSEQETIQ";
}

// One packet of an invoice's rows, every row unmarked (the mark is the screens' own).
static void WriteInvoiceRows(TReplyWriter& out, TDatabase& database, TPacketLayout layout, const char* sql,
                             const QString& branch, const QString& entryNumber)
{
    TSqlStatement q(database.Connection(), QString::fromLatin1(sql));
    q.Bind(QStringLiteral(":fil"), branch).Bind(QStringLiteral(":lanc"), entryNumber).Exec();
    out.Packet(PacketFields(layout), q, kDesmarcada);
}

void TLabelQueries::WriteItems(TReplyWriter& out, const QString& branch, const QString& entryNumber)
{
    WriteInvoiceRows(out, database_, ItemPacketLayout(), ItemsSql(), branch, entryNumber);
}

void TLabelQueries::WriteLabels(TReplyWriter& out, const QString& branch, const QString& entryNumber)
{
    WriteInvoiceRows(out, database_, LabelPacketLayout(), LabelsSql(), branch, entryNumber);
}
