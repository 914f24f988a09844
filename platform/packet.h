#pragma once
// Data packets and change packets as plain values, and their JSON encoding on the wire.
//
// A data packet is a list of typed columns and the rows under them; a change packet is the same
// column list and one entry per changed row (insert with the new values, modify with the old and
// the new values, delete with the old values). Row values are QString for text, double for
// numbers, QDateTime (a wall-clock value, sysutils.h) for date-times and an invalid QVariant for
// null.
//
// The *ToJson functions succeed for every value but a number that is not finite (an infinity or a
// NaN), which JSON cannot write: they refuse it with EDatabaseError naming the row and the field,
// rather than let it travel as null. The *FromJson functions check the whole shape before
// returning (field list, known types, widths of text columns, row lengths, the kind of every value,
// text longer than its column's width) and throw EDatabaseError with a Portuguese message that says
// what is wrong and where; nothing partial is ever returned.

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <vector>

enum class TPacketFieldType { String, FixedString, Float, DateTime };

inline bool IsTextType(TPacketFieldType type)
{
    return type == TPacketFieldType::String || type == TPacketFieldType::FixedString;
}

// Refuses a packet: EDatabaseError "Pacote de dados inválido: <what>.", the one message every
// reader and writer of packets gives.
[[noreturn]] void RefusePacket(const QString& what);
// Refuses a number that JSON cannot write (an infinity or a NaN), in row `row` (from 0) of the
// column `field`, rather than let it travel as null.
[[noreturn]] void RefuseNonFiniteNumber(qint64 row, const QString& field, double number);

struct TPacketField {
    QString name;
    TPacketFieldType type = TPacketFieldType::String;
    int width = 0;  // characters, for the two text types; 0 for numbers and date-times
};

struct TDataPacket {
    QList<TPacketField> fields;
    QList<QVariantList> rows;  // each row holds one value per field, in field order
};

// A data packet decoded column by column, as a record set keeps its rows: per column the values
// read (entry 0 is null; rows that repeat a value may share its entry), and per row and column
// the entry that holds the cell. Decoding bytes into it costs no list per row.
struct TPacketColumns {
    QList<TPacketField> fields;
    std::vector<std::vector<QVariant>> values;  // per column
    std::vector<quint32> cells;                 // row after row, one entry per field
    qsizetype rows = 0;

    TDataPacket ToPacket() const;  // the same packet, row by row
};

enum class TChangeKind { Insert, Modify, Delete };

struct TChange {
    TChangeKind kind = TChangeKind::Insert;
    QVariantList oldRow;  // Modify and Delete
    QVariantList newRow;  // Insert and Modify
};

struct TChangePacket {
    QList<TPacketField> fields;
    QList<TChange> changes;  // in the order in which the rows were first changed
};

// The wire name of a column type ("string", "fixedString", "float", "dateTime").
QString PacketFieldTypeName(TPacketFieldType type);

// A date-time value as the wire writes it: "YYYY-MM-DDTHH:MM:SS", with ".zzz" only when the
// value has milliseconds.
QString PacketDateTimeText(const QDateTime& value);

QJsonObject DataPacketToJson(const TDataPacket& packet);
TDataPacket DataPacketFromJson(const QJsonObject& json);
QJsonObject ChangePacketToJson(const TChangePacket& packet);
TChangePacket ChangePacketFromJson(const QJsonObject& json);

// Parses the bytes of a whole JSON document that must hold a data packet object; a text that is
// not JSON or not an object is refused with EDatabaseError like any other bad shape.
TDataPacket DataPacketFromJsonBytes(const QByteArray& bytes);

// Decodes the bytes of a data packet into columns: the packet DataPacketFromJsonBytes gives, with
// the same values, or the same refusal. Packets of the shape this module's encoder writes go
// from the bytes straight into the columns; any other goes through the general reader.
TPacketColumns DataPacketColumnsFromJsonBytes(const QByteArray& bytes);
