#pragma once
// The JSON-RPC reply bodies, written with RapidJSON's writer straight from the values (and, for
// the data packets, straight from the rows of a statement) instead of building a document first.
// The bytes are those Qt's compact JSON writer gives for the same values, which the client has
// always read: keys in sorted order, texts as UTF-8 with control characters escaped (\b \t \n \f
// \r, other ones as \u00xx), whole numbers up to 2^53 without a fraction and other numbers in
// the shortest form that reads back the same double ("0.1", "1e-05", "1.5e+300").

#include "platform/packet.h"
#include "platform/variant.h"

#include <QByteArray>
#include <QJsonValue>
#include <QString>

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <string_view>

class TSqlStatement;

class TReplyWriter {
public:
    TReplyWriter() : writer_(buffer_) {}

    void BeginObject() { writer_.StartObject(); }
    void EndObject() { writer_.EndObject(); }
    void BeginArray() { writer_.StartArray(); }
    void EndArray() { writer_.EndArray(); }
    void Key(std::string_view name) { writer_.Key(name.data(), rapidjson::SizeType(name.size())); }

    void Null() { writer_.Null(); }
    void Bool(bool value) { writer_.Bool(value); }
    void Integer(qint64 value) { writer_.Int64(value); }
    void Number(double value);            // a value that is not finite is written as null, as Qt does
    void Text(std::string_view utf8);     // bytes that are not UTF-8 are read as QString::fromUtf8 reads them
    void Text(const QString& text);
    void Json(const QJsonValue& value);   // any value, as QJsonDocument writes it
    // {"type": kind, "value": ...} as TVariant::ToJson gives it (EConvertError for a number that
    // is not finite).
    void Variant(const TVariant& value);

    // One data packet {"fields": [...], "rows": [...]} from the rows of an executed statement.
    // Its columns are found by the fields' names (in any letter case); the mark IDCHECK, when no
    // column brings it, is written as `mark` on every row. A field with no column is a fault of
    // the SELECT and raises EDatabaseError. Values convert as the packet reader expects them:
    // texts as stored, numbers as doubles, date-times as "YYYY-MM-DDTHH:MM:SS", nulls as null.
    void Packet(const QList<TPacketField>& fields, TSqlStatement& rows, const char* mark);

    QByteArray Take() const { return QByteArray(buffer_.GetString(), qsizetype(buffer_.GetSize())); }

    // The number as Qt's JSON writer writes it; exposed for the tests.
    static std::string_view NumberText(double value, char (&buffer)[40]);

private:
    void Raw(std::string_view json, rapidjson::Type type)
    {
        writer_.RawValue(json.data(), json.size(), type);
    }
    void PacketFields(const QList<TPacketField>& fields);

    rapidjson::StringBuffer buffer_;
    rapidjson::Writer<rapidjson::StringBuffer> writer_;
};

// {"id": id, "jsonrpc": "2.0", "result": {"byRef": {...}, "value": <written by `value`>}}: the
// by-reference arguments come back under their zero-based positions.
template <typename WriteValue>
QByteArray ResultReply(const QJsonValue& id, const QList<TVariant>& args, WriteValue&& value)
{
    TReplyWriter w;
    w.BeginObject();
    w.Key("id");
    w.Json(id);
    w.Key("jsonrpc");
    w.Text(std::string_view("2.0"));
    w.Key("result");
    w.BeginObject();
    w.Key("byRef");
    w.BeginObject();
    // Keys in the order Qt sorts them: as texts ("10" before "2").
    QList<QString> positions;
    for (int i = 0; i < args.size(); ++i)
        if (args[i].IsByRef())
            positions << QString::number(i);
    std::sort(positions.begin(), positions.end());
    for (const QString& p : positions) {
        w.Key(p.toStdString());
        w.Variant(args[p.toInt()]);
    }
    w.EndObject();
    w.Key("value");
    value(w);
    w.EndObject();
    w.EndObject();
    return w.Take();
}

// {"error": {"code": code, "message": message}, "id": id, "jsonrpc": "2.0"}.
QByteArray ErrorReply(const QJsonValue& id, int code, const QString& message);
