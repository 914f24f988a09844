#include "replywriter.h"

#include "dbvalues.h"
#include "sqlstatement.h"

#include "platform/errors.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double kLargestWholeNumber = 9007199254740992.0;   // 2^53: Qt writes whole numbers up to it as integers

// Appends `utf8` as a quoted JSON string, escaped as Qt escapes it.
void AppendQuoted(std::string& out, std::string_view utf8)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out.push_back('"');
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                out += "\\u00";
                out.push_back(kHex[c >> 4]);
                out.push_back(kHex[c & 0xf]);
            } else {
                out.push_back(ch);
            }
        }
    }
    out.push_back('"');
}

bool IsAscii(std::string_view bytes)
{
    for (const char ch : bytes)
        if (static_cast<unsigned char>(ch) >= 0x80)
            return false;
    return true;
}

// Printable ASCII only: RapidJSON's own escapes (of '"' and '\\') are then Qt's.
bool IsPrintableAscii(std::string_view bytes)
{
    for (const char ch : bytes)
        if (static_cast<unsigned char>(ch) < 0x20 || static_cast<unsigned char>(ch) >= 0x80)
            return false;
    return true;
}

bool HoldsSurrogate(const QString& text)
{
    for (const QChar c : text)
        if (c.isSurrogate())
            return true;
    return false;
}

// A value written by Qt's own writer, without the brackets of the array that carried it.
QByteArray QtJson(const QJsonValue& value)
{
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

} // namespace

std::string_view TReplyWriter::NumberText(double value, char (&buffer)[40])
{
    if (!std::isfinite(value))
        return "null";
    char* const end = buffer + sizeof buffer;
    if (value == std::trunc(value) && std::fabs(value) <= kLargestWholeNumber) {
        const auto r = std::to_chars(buffer, end, static_cast<long long>(value));
        return {buffer, size_t(r.ptr - buffer)};
    }
    // The shortest digits that read back the same double, then Qt's choice between the decimal
    // and the exponent form: the shorter one, the decimal one on a tie, the exponent with a sign
    // and at least two digits.
    char scientific[40];
    const auto r = std::to_chars(scientific, scientific + sizeof scientific, value, std::chars_format::scientific);
    const std::string_view text(scientific, size_t(r.ptr - scientific));
    const size_t e = text.find('e');
    std::string digits;
    size_t i = 0;
    const bool negative = text[0] == '-';
    if (negative)
        ++i;
    for (; i < e; ++i)
        if (text[i] != '.')
            digits.push_back(text[i]);
    int exponent = 0;
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(), exponent);
    const int decpt = exponent + 1;
    const int count = int(digits.size());
    int bias = 4;
    if (count <= decpt && count > 1)
        ++bias;
    else if (count == 1 && decpt <= 0)
        --bias;
    const bool decimal = decpt <= 0 ? 1 - decpt <= bias : decpt <= count ? 0 <= bias : decpt <= count + bias;
    std::string out = negative ? "-" : "";
    if (decimal) {
        if (decpt <= 0)
            out += "0." + std::string(size_t(-decpt), '0') + digits;
        else if (decpt >= count)
            out += digits + std::string(size_t(decpt - count), '0');
        else
            out += digits.substr(0, size_t(decpt)) + "." + digits.substr(size_t(decpt));
    } else {
        out += digits.substr(0, 1);
        if (count > 1)
            out += "." + digits.substr(1);
        char exp[8];
        const int shown = exponent < 0 ? -exponent : exponent;
        const int n = std::snprintf(exp, sizeof exp, "e%c%02d", exponent < 0 ? '-' : '+', shown);
        out.append(exp, size_t(n));
    }
    const size_t size = std::min(out.size(), sizeof buffer);
    out.copy(buffer, size);
    return {buffer, size};
}

void TReplyWriter::Number(double value)
{
    char buffer[40];
    const std::string_view text = NumberText(value, buffer);
    if (text == "null")
        writer_.Null();
    else
        Raw(text, rapidjson::kNumberType);
}

void TReplyWriter::Text(std::string_view utf8)
{
    if (IsPrintableAscii(utf8)) {
        writer_.String(utf8.data(), rapidjson::SizeType(utf8.size()));
        return;
    }
    thread_local std::string quoted;
    quoted.clear();
    if (IsAscii(utf8)) {
        AppendQuoted(quoted, utf8);
    } else {
        // Read as Qt reads it, so that bytes that are not UTF-8 become U+FFFD as before.
        const QByteArray valid = QString::fromUtf8(utf8.data(), qsizetype(utf8.size())).toUtf8();
        AppendQuoted(quoted, std::string_view(valid.constData(), size_t(valid.size())));
    }
    Raw(quoted, rapidjson::kStringType);
}

void TReplyWriter::Text(const QString& text)
{
    if (HoldsSurrogate(text)) {
        const QByteArray json = QtJson(text);
        Raw(std::string_view(json.constData(), size_t(json.size())), rapidjson::kStringType);
        return;
    }
    const QByteArray utf8 = text.toUtf8();
    thread_local std::string quoted;
    quoted.clear();
    AppendQuoted(quoted, std::string_view(utf8.constData(), size_t(utf8.size())));
    Raw(quoted, rapidjson::kStringType);
}

void TReplyWriter::Json(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Null:
    case QJsonValue::Undefined: Null(); return;
    case QJsonValue::Bool: Bool(value.toBool()); return;
    case QJsonValue::String: Text(value.toString()); return;
    default: break;
    }
    const QByteArray json = QtJson(value);
    Raw(std::string_view(json.constData(), size_t(json.size())),
        value.isDouble() ? rapidjson::kNumberType : value.isArray() ? rapidjson::kArrayType : rapidjson::kObjectType);
}

void TReplyWriter::Variant(const TVariant& value)
{
    switch (value.kind()) {
    case TVariant::Kind::String:
        BeginObject();
        if (value.IsByRef()) {
            Key("byRef");
            Bool(true);
        }
        Key("type");
        Text(std::string_view("string"));
        Key("value");
        Text(value.AsString());
        EndObject();
        return;
    case TVariant::Kind::Array:
        BeginObject();
        Key("type");
        Text(std::string_view("array"));
        Key("value");
        BeginArray();
        for (const TVariant& item : value.AsArray())
            Variant(item);
        EndArray();
        EndObject();
        return;
    default:
        Json(value.ToJson());
        return;
    }
}

void TReplyWriter::PacketFields(const QList<TPacketField>& fields)
{
    BeginArray();
    for (const TPacketField& f : fields) {
        BeginObject();
        Key("name");
        Text(f.name);
        Key("type");
        Text(PacketFieldTypeName(f.type));
        if (IsTextType(f.type)) {
            Key("width");
            Integer(f.width);
        }
        EndObject();
    }
    EndArray();
}

void TReplyWriter::Packet(const QList<TPacketField>& fields, TSqlStatement& rows, const char* mark)
{
    std::vector<int> column(size_t(fields.size()), -1);
    for (int c = 0; c < rows.Columns(); ++c) {
        const QString name = rows.ColumnName(c);
        for (qsizetype f = 0; f < fields.size(); ++f)
            if (fields[f].name.compare(name, Qt::CaseInsensitive) == 0)
                column[size_t(f)] = c;
    }
    for (qsizetype f = 0; f < fields.size(); ++f)
        if (column[size_t(f)] < 0 && !(mark && fields[f].name == QLatin1String("IDCHECK")))
            throw EDatabaseError(QStringLiteral("A consulta do pacote não traz a coluna %1.").arg(fields[f].name));

    BeginObject();
    Key("fields");
    PacketFields(fields);
    Key("rows");
    BeginArray();
    for (qsizetype row = 0; rows.Next(); ++row) {
        BeginArray();
        for (qsizetype f = 0; f < fields.size(); ++f) {
            const int c = column[size_t(f)];
            if (c < 0) {
                Text(std::string_view(mark));
                continue;
            }
            const TSqlStatement::TColumnKind kind = rows.Kind(c);
            if (kind == TSqlStatement::TColumnKind::Null) {
                Null();
                continue;
            }
            switch (fields[f].type) {
            case TPacketFieldType::String:
            case TPacketFieldType::FixedString:
                if (kind == TSqlStatement::TColumnKind::Text)
                    Text(rows.Utf8(c));
                else
                    Text(rows.Value(c).toString());
                break;
            case TPacketFieldType::Float: {
                const double number =
                    kind == TSqlStatement::TColumnKind::Text ? rows.Value(c).toDouble() : rows.Double(c);
                // JSON has no text for an infinity or a NaN: refused as the packet encoder refuses it.
                if (!std::isfinite(number))
                    RefuseNonFiniteNumber(row, fields[f].name, number);
                Number(number);
                break;
            }
            case TPacketFieldType::DateTime: {
                const QVariant date = PacketDate(rows.Value(c));
                if (date.isNull())
                    Null();
                else
                    Text(PacketDateTimeText(date.toDateTime()));
                break;
            }
            }
        }
        EndArray();
    }
    EndArray();
    EndObject();
}

QByteArray ErrorReply(const QJsonValue& id, int code, const QString& message)
{
    TReplyWriter w;
    w.BeginObject();
    w.Key("error");
    w.BeginObject();
    w.Key("code");
    w.Integer(code);
    w.Key("message");
    w.Text(message);
    w.EndObject();
    w.Key("id");
    w.Json(id);
    w.Key("jsonrpc");
    w.Text(std::string_view("2.0"));
    w.EndObject();
    return w.Take();
}
