#include "labelqueries.h"

#include "dbvalues.h"
#include "migrations.h"
#include "sqlstatement.h"

namespace {

TPacketField Text(const char* name, int width)
{
    return {QString::fromLatin1(name), TPacketFieldType::String, width};
}

TPacketField Fixed(const char* name, int width)
{
    return {QString::fromLatin1(name), TPacketFieldType::FixedString, width};
}

TPacketField Number(const char* name)
{
    return {QString::fromLatin1(name), TPacketFieldType::Float, 0};
}

TPacketField Date(const char* name)
{
    return {QString::fromLatin1(name), TPacketFieldType::DateTime, 0};
}

// Reads every row of an executed statement into packet values of the given field kinds; the
// statement's columns are the packet's fields from `firstColumn` on.
QList<QVariantList> ReadRows(TSqlStatement& q, const QList<TPacketField>& fields, int firstField,
                             const QVariantList& leading)
{
    QList<QVariantList> rows;
    while (q.Next()) {
        QVariantList row = leading;
        for (int f = firstField; f < fields.size(); ++f) {
            const QVariant v = q.Value(f - firstField);
            switch (fields[f].type) {
            case TPacketFieldType::Float: row << PacketNumber(v); break;
            case TPacketFieldType::DateTime: row << PacketDate(v); break;
            default: row << PacketText(v); break;
            }
        }
        rows << row;
    }
    return rows;
}

QString Placeholders(const QString& prefix, int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names << QStringLiteral(":%1%2").arg(prefix).arg(i);
    return names.join(QStringLiteral(", "));
}

} // namespace

QList<TPacketField> TLabelQueries::InvoiceFields()
{
    return {Text("CDFILIAL", 4),     Text("NRLANCTONF", 10),  Text("CDFILIRECE", 4),  Text("CDINSCESTA", 16),
            Text("NRINSJURNF", 20),  Text("NMRAZSOCFORN", 40), Text("NRNOTAFISC", 20), Text("CDSERIEENTR", 5),
            Date("DTEMISSAO"),       Number("VRNOTAFISC"),    Text("IDSTATUSNFE", 1), Text("NRACESSONFE", 50),
            Text("IDTPIJURNF", 1),   Text("DSRODAP", 40)};
}

QList<TPacketField> TLabelQueries::ItemFields()
{
    return {Fixed("IDCHECK", 1),     Text("CDFILIAL", 4),     Text("NRLANCTONF", 10), Text("CDPRODUTO", 10),
            Text("CDARVPROD", 20),   Text("NMPRODUTO", 50),   Text("SGUNIDADE", 10),  Text("LOTESUBLOTE", 25),
            Number("QTITEMPROD"),    Text("NRSEQITPROD", 4),  Date("DTVALILOTE"),     Text("NRPEDEXOL", 20)};
}

QList<TPacketField> TLabelQueries::LabelFields()
{
    return {Fixed("IDCHECK", 1),     Text("CDFILIAL", 4),        Text("NRLANCTONF", 10),   Text("NRSEQITPROD", 4),
            Text("NRSEQETIQ", 20),   Text("CDPRODUTO", 10),      Number("QTETIQPROD"),     Number("VRPESOETIQ"),
            Number("QTTOTALPRODETIQ"), Text("IDSTATUSETIQ", 1),  Text("CDCODBARRAETIQ", 50), Text("NRPEDEXOL", 20)};
}

TDataPacket TLabelQueries::Invoices(const TInvoiceFilter& filter)
{
    QString sql = QStringLiteral(
        "SELECT n.CDFILIAL, n.NRLANCTONF, n.CDFILIRECE, f.CDINSCESTA, f.NRINSJURFORN, f.NMRAZSOCFORN,"
        " n.NRNOTAFISC, n.CDSERIEENTR, n.DTEMISSAO, n.VRNOTAFISC, n.IDSTATUSNFE, n.NRACESSONFE,"
        " f.IDTPIJURFORN, n.DSRODAP"
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

    TDataPacket packet;
    packet.fields = InvoiceFields();
    packet.rows = ReadRows(q, packet.fields, 0, {});
    return packet;
}

// One packet of an invoice's rows: the statement selects the fields after IDCHECK ("U").
static TDataPacket InvoiceRows(TDatabase& database, const QList<TPacketField>& fields, const QString& sql,
                               const QString& branch, const QString& entryNumber)
{
    TSqlStatement q(database.Connection(), sql);
    q.Bind(QStringLiteral(":fil"), branch).Bind(QStringLiteral(":lanc"), entryNumber).Exec();
    TDataPacket packet;
    packet.fields = fields;
    packet.rows = ReadRows(q, packet.fields, 1, {QStringLiteral("U")});
    return packet;
}

TDataPacket TLabelQueries::Items(const QString& branch, const QString& entryNumber)
{
    return InvoiceRows(database_, ItemFields(),
                       QStringLiteral("SELECT i.CDFILIAL, i.NRLANCTONF, p.CDPRODUTO, p.CDARVPROD, p.NMPRODUTO,"
                                      " p.SGUNIDADE, i.LOTESUBLOTE, i.QTITEMPROD, i.NRSEQITPROD, i.DTVALILOTE,"
                                      " i.NRPEDEXOL"
                                      " FROM ITEMNOTAFISCAL i JOIN PRODUTO p ON p.CDPRODUTO = i.CDPRODUTO"
                                      " WHERE i.CDFILIAL = :fil AND i.NRLANCTONF = :lanc ORDER BY i.NRSEQITPROD"),
                       branch, entryNumber);
}

TDataPacket TLabelQueries::Labels(const QString& branch, const QString& entryNumber)
{
    return InvoiceRows(database_, LabelFields(),
                       QStringLiteral("SELECT CDFILIAL, NRLANCTONF, NRSEQITPROD, NRSEQETIQ, CDPRODUTO, QTETIQPROD,"
                                      " VRPESOETIQ, QTTOTALPRODETIQ, IDSTATUSETIQ, CDCODBARRAETIQ, NRPEDEXOL"
                                      " FROM ETIQUETA WHERE CDFILIAL = :fil AND NRLANCTONF = :lanc"
                                      " ORDER BY NRSEQITPROD, LENGTH(NRSEQETIQ), NRSEQETIQ"),
                       branch, entryNumber);
}
