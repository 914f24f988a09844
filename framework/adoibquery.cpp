#include "framework/adoibquery.h"

#include "framework/hostdatabase.h"
#include "platform/errors.h"
#include "platform/sysutils.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

QVariant ValueFor(TField* field, const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return QVariant();
    switch (field->DataType()) {
    case TFieldType::Float: return value.toDouble();
    case TFieldType::DateTime: {
        // A wall-clock value: converting a text through local time would lose a day that
        // daylight saving starts at midnight.
        const QDateTime dateTime = value.typeId() == QMetaType::QDateTime ? WallClock(value.toDateTime())
                                   : value.typeId() == QMetaType::QDate   ? WallClock(value.toDate())
                                                                          : WallClockFromIsoText(value.toString());
        return dateTime.isValid() ? QVariant(dateTime) : QVariant();
    }
    case TFieldType::String:
    case TFieldType::FixedString: break;
    }
    QString text = value.toString();
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text.isEmpty() ? QVariant() : QVariant(text);
}

} // namespace

TADOIBQuery::TADOIBQuery(QObject* parent) : TClientDataSet(parent) {}

void TADOIBQuery::Open()
{
    if (Active())
        return;
    QSqlQuery query(dtmDBGeral().Database());
    query.setForwardOnly(true);
    if (!query.exec(SQL.join(QLatin1Char('\n'))))
        throw EDatabaseError(QStringLiteral("Erro ao consultar o banco de dados: %1").arg(query.lastError().text()));

    TDataPacket packet;
    QList<int> columns;
    const QList<TField*> fields = Fields();
    const QSqlRecord record = query.record();
    for (TField* field : fields) {
        packet.fields.append({field->FieldName(), PacketFieldType(field->DataType()), field->Size()});
        int column = -1;
        for (int i = 0; i < record.count(); ++i) {
            if (record.fieldName(i).compare(field->FieldName(), Qt::CaseInsensitive) == 0)
                column = i;
        }
        columns.append(column);
    }
    while (query.next()) {
        QVariantList row;
        for (int i = 0; i < fields.size(); ++i)
            row.append(columns.at(i) < 0 ? QVariant() : ValueFor(fields.at(i), query.value(columns.at(i))));
        packet.rows.append(row);
    }
    LoadPacket(std::move(packet));
}
