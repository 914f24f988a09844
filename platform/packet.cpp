// JSON encoding of data and change packets. Decoding checks every value against its column, so a
// record set that loads the result never sees a value of the wrong kind.

#include "packet.h"

#include "errors.h"
#include "sysutils.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>

#include <cmath>
#include <limits>

namespace {

[[noreturn]] void Refuse(const QString& what)
{
    throw EDatabaseError(QStringLiteral("Pacote de dados inválido: %1.").arg(what));
}

bool IsTextType(TPacketFieldType type)
{
    return type == TPacketFieldType::String || type == TPacketFieldType::FixedString;
}

bool ParseFieldType(const QString& name, TPacketFieldType& type)
{
    if (name == QLatin1String("string")) { type = TPacketFieldType::String; return true; }
    if (name == QLatin1String("fixedString")) { type = TPacketFieldType::FixedString; return true; }
    if (name == QLatin1String("float")) { type = TPacketFieldType::Float; return true; }
    if (name == QLatin1String("dateTime")) { type = TPacketFieldType::DateTime; return true; }
    return false;
}

QJsonArray FieldsToJson(const QList<TPacketField>& fields)
{
    QJsonArray out;
    for (const TPacketField& f : fields) {
        QJsonObject o{{QStringLiteral("name"), f.name}, {QStringLiteral("type"), PacketFieldTypeName(f.type)}};
        if (IsTextType(f.type))
            o.insert(QStringLiteral("width"), f.width);
        out.append(o);
    }
    return out;
}

QList<TPacketField> FieldsFromJson(const QJsonValue& value)
{
    if (!value.isArray())
        Refuse(QStringLiteral("\"fields\" ausente ou não é uma lista"));
    const QJsonArray array = value.toArray();
    QList<TPacketField> fields;
    fields.reserve(array.size());
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QJsonValue item = array.at(i);
        if (!item.isObject())
            Refuse(QStringLiteral("o campo %1 não é um objeto").arg(i + 1));
        const QJsonObject o = item.toObject();
        TPacketField f;
        f.name = o.value(QLatin1String("name")).toString();
        if (f.name.isEmpty())
            Refuse(QStringLiteral("o campo %1 não tem nome").arg(i + 1));
        for (const TPacketField& seen : fields)
            if (seen.name.compare(f.name, Qt::CaseInsensitive) == 0)
                Refuse(QStringLiteral("o campo %1 aparece duas vezes").arg(f.name));
        const QString typeName = o.value(QLatin1String("type")).toString();
        if (!ParseFieldType(typeName, f.type))
            Refuse(QStringLiteral("o campo %1 tem o tipo desconhecido \"%2\"").arg(f.name, typeName));
        if (IsTextType(f.type)) {
            const QJsonValue width = o.value(QLatin1String("width"));
            const double w = width.toDouble(-1);
            // The range is checked before the conversion: a width beyond int has no int value.
            if (!width.isDouble() || !(w >= 1 && w <= std::numeric_limits<int>::max()) || w != std::floor(w))
                Refuse(QStringLiteral("o campo %1 não tem uma largura válida").arg(f.name));
            f.width = static_cast<int>(w);
        }
        fields.append(f);
    }
    return fields;
}

QJsonValue ValueToJson(const TPacketField& field, const QVariant& value, qsizetype row)
{
    if (!value.isValid() || value.isNull())
        return QJsonValue(QJsonValue::Null);
    switch (field.type) {
    case TPacketFieldType::String:
    case TPacketFieldType::FixedString:
        return value.toString();
    case TPacketFieldType::Float: {
        // JSON has no text for an infinity or a NaN; Qt would write null and the value would
        // change unseen on the other side.
        const double number = value.toDouble();
        if (!std::isfinite(number))
            Refuse(QStringLiteral("linha %1, campo %2: o número %3 não é finito").arg(row + 1).arg(field.name).arg(number));
        return number;
    }
    case TPacketFieldType::DateTime:
        return PacketDateTimeText(value.toDateTime());
    }
    return QJsonValue(QJsonValue::Null);
}

QJsonArray RowToJson(const QList<TPacketField>& fields, const QVariantList& row, qsizetype number)
{
    QJsonArray out;
    for (qsizetype i = 0; i < fields.size(); ++i)
        out.append(ValueToJson(fields.at(i), i < row.size() ? row.at(i) : QVariant(), number));
    return out;
}

QDateTime ParseDateTime(const QString& text)
{
    // "YYYY-MM-DDTHH:MM:SS" with an optional ".zzz"; no zone: the value is a wall-clock time.
    if ((text.size() != 19 && text.size() != 23) || text.at(10) != QLatin1Char('T'))
        return {};
    return WallClockFromIsoText(text);
}

QVariant ValueFromJson(const TPacketField& field, const QJsonValueConstRef value, qsizetype row)
{
    if (value.isNull())
        return QVariant();
    switch (field.type) {
    case TPacketFieldType::String:
    case TPacketFieldType::FixedString: {
        if (!value.isString())
            Refuse(QStringLiteral("linha %1, campo %2: esperado um texto").arg(row + 1).arg(field.name));
        QString text = value.toString();
        if (text.size() > field.width)
            Refuse(QStringLiteral("linha %1, campo %2: o texto \"%3\" passa da largura %4")
                       .arg(row + 1).arg(field.name, text).arg(field.width));
        return QVariant(std::move(text));
    }
    case TPacketFieldType::Float:
        if (!value.isDouble() || !std::isfinite(value.toDouble()))
            Refuse(QStringLiteral("linha %1, campo %2: esperado um número").arg(row + 1).arg(field.name));
        return value.toDouble();
    case TPacketFieldType::DateTime: {
        const QDateTime dt = value.isString() ? ParseDateTime(value.toString()) : QDateTime();
        if (!dt.isValid())
            Refuse(QStringLiteral("linha %1, campo %2: esperada uma data e hora AAAA-MM-DDTHH:MM:SS").arg(row + 1).arg(field.name));
        return dt;
    }
    }
    return QVariant();
}

template <typename JsonValue>  // QJsonValue or QJsonValueConstRef
QVariantList RowFromJson(const QList<TPacketField>& fields, const JsonValue& value, qsizetype row)
{
    if (!value.isArray())
        Refuse(QStringLiteral("a linha %1 não é uma lista").arg(row + 1));
    const QJsonArray array = value.toArray();
    if (array.size() != fields.size())
        Refuse(QStringLiteral("a linha %1 tem %2 valores para %3 campos").arg(row + 1).arg(array.size()).arg(fields.size()));
    QVariantList out;
    out.reserve(fields.size());
    const TPacketField* field = fields.constData();
    for (auto it = array.constBegin(); it != array.constEnd(); ++it, ++field)
        out.emplaceBack(ValueFromJson(*field, *it, row));
    return out;
}

QString ChangeKindName(TChangeKind kind)
{
    switch (kind) {
    case TChangeKind::Insert: return QStringLiteral("insert");
    case TChangeKind::Modify: return QStringLiteral("modify");
    case TChangeKind::Delete: return QStringLiteral("delete");
    }
    return {};
}

}  // namespace

QString PacketFieldTypeName(TPacketFieldType type)
{
    switch (type) {
    case TPacketFieldType::String: return QStringLiteral("string");
    case TPacketFieldType::FixedString: return QStringLiteral("fixedString");
    case TPacketFieldType::Float: return QStringLiteral("float");
    case TPacketFieldType::DateTime: return QStringLiteral("dateTime");
    }
    return {};
}

QString PacketDateTimeText(const QDateTime& value)
{
    const QDateTime wallClock = WallClock(value);
    const bool millis = wallClock.time().msec() != 0;
    return wallClock.toString(millis ? QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz") : QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

QJsonObject DataPacketToJson(const TDataPacket& packet)
{
    QJsonArray rows;
    for (qsizetype r = 0; r < packet.rows.size(); ++r)
        rows.append(RowToJson(packet.fields, packet.rows.at(r), r));
    return QJsonObject{{QStringLiteral("fields"), FieldsToJson(packet.fields)}, {QStringLiteral("rows"), rows}};
}

TDataPacket DataPacketFromJson(const QJsonObject& json)
{
    TDataPacket packet;
    packet.fields = FieldsFromJson(json.value(QLatin1String("fields")));
    const QJsonValue rowsValue = json.value(QLatin1String("rows"));
    if (!rowsValue.isArray())
        Refuse(QStringLiteral("\"rows\" ausente ou não é uma lista"));
    const QJsonArray rows = rowsValue.toArray();
    packet.rows.reserve(rows.size());
    qsizetype r = 0;
    for (auto it = rows.constBegin(); it != rows.constEnd(); ++it, ++r)
        packet.rows.emplaceBack(RowFromJson(packet.fields, *it, r));
    return packet;
}

TDataPacket DataPacketFromJsonBytes(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        Refuse(QStringLiteral("o texto não é JSON (%1)").arg(error.errorString()));
    if (!doc.isObject())
        Refuse(QStringLiteral("o pacote não é um objeto"));
    return DataPacketFromJson(doc.object());
}

QJsonObject ChangePacketToJson(const TChangePacket& packet)
{
    QJsonArray changes;
    for (qsizetype i = 0; i < packet.changes.size(); ++i) {
        const TChange& c = packet.changes.at(i);
        QJsonObject o{{QStringLiteral("kind"), ChangeKindName(c.kind)}};
        if (c.kind != TChangeKind::Insert)
            o.insert(QStringLiteral("old"), RowToJson(packet.fields, c.oldRow, i));
        if (c.kind != TChangeKind::Delete)
            o.insert(QStringLiteral("new"), RowToJson(packet.fields, c.newRow, i));
        changes.append(o);
    }
    return QJsonObject{{QStringLiteral("fields"), FieldsToJson(packet.fields)}, {QStringLiteral("changes"), changes}};
}

TChangePacket ChangePacketFromJson(const QJsonObject& json)
{
    TChangePacket packet;
    packet.fields = FieldsFromJson(json.value(QLatin1String("fields")));
    const QJsonValue changesValue = json.value(QLatin1String("changes"));
    if (!changesValue.isArray())
        Refuse(QStringLiteral("\"changes\" ausente ou não é uma lista"));
    const QJsonArray changes = changesValue.toArray();
    for (qsizetype i = 0; i < changes.size(); ++i) {
        if (!changes.at(i).isObject())
            Refuse(QStringLiteral("a alteração %1 não é um objeto").arg(i + 1));
        const QJsonObject o = changes.at(i).toObject();
        const QString kind = o.value(QLatin1String("kind")).toString();
        TChange c;
        if (kind == QLatin1String("insert")) c.kind = TChangeKind::Insert;
        else if (kind == QLatin1String("modify")) c.kind = TChangeKind::Modify;
        else if (kind == QLatin1String("delete")) c.kind = TChangeKind::Delete;
        else Refuse(QStringLiteral("a alteração %1 tem o tipo desconhecido \"%2\"").arg(i + 1).arg(kind));
        if (c.kind != TChangeKind::Insert)
            c.oldRow = RowFromJson(packet.fields, o.value(QLatin1String("old")), i);
        if (c.kind != TChangeKind::Delete)
            c.newRow = RowFromJson(packet.fields, o.value(QLatin1String("new")), i);
        packet.changes.append(c);
    }
    return packet;
}
