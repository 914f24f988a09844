// JSON encoding of data and change packets. Decoding checks every value against its column, so a
// record set that loads the result never sees a value of the wrong kind.

#include "packet.h"

#include "errors.h"
#include "sysutils.h"
#include "textblocks.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>

#include <simdjson.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

void RefusePacket(const QString& what)
{
    throw EDatabaseError(QStringLiteral("Pacote de dados inválido: %1.").arg(what));
}

void RefuseNonFiniteNumber(qint64 row, const QString& field, double number)
{
    RefusePacket(QStringLiteral("linha %1, campo %2: o número %3 não é finito").arg(row + 1).arg(field).arg(number));
}

namespace {

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
        RefusePacket(QStringLiteral("\"fields\" ausente ou não é uma lista"));
    const QJsonArray array = value.toArray();
    QList<TPacketField> fields;
    fields.reserve(array.size());
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QJsonValue item = array.at(i);
        if (!item.isObject())
            RefusePacket(QStringLiteral("o campo %1 não é um objeto").arg(i + 1));
        const QJsonObject o = item.toObject();
        TPacketField f;
        f.name = o.value(QLatin1String("name")).toString();
        if (f.name.isEmpty())
            RefusePacket(QStringLiteral("o campo %1 não tem nome").arg(i + 1));
        for (const TPacketField& seen : fields)
            if (seen.name.compare(f.name, Qt::CaseInsensitive) == 0)
                RefusePacket(QStringLiteral("o campo %1 aparece duas vezes").arg(f.name));
        const QString typeName = o.value(QLatin1String("type")).toString();
        if (!ParseFieldType(typeName, f.type))
            RefusePacket(QStringLiteral("o campo %1 tem o tipo desconhecido \"%2\"").arg(f.name, typeName));
        if (IsTextType(f.type)) {
            const QJsonValue width = o.value(QLatin1String("width"));
            const double w = width.toDouble(-1);
            // The range is checked before the conversion: a width beyond int has no int value.
            if (!width.isDouble() || !(w >= 1 && w <= std::numeric_limits<int>::max()) || w != std::floor(w))
                RefusePacket(QStringLiteral("o campo %1 não tem uma largura válida").arg(f.name));
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
            RefuseNonFiniteNumber(row, field.name, number);
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
            RefusePacket(QStringLiteral("linha %1, campo %2: esperado um texto").arg(row + 1).arg(field.name));
        QString text = value.toString();
        if (text.size() > field.width)
            RefusePacket(QStringLiteral("linha %1, campo %2: o texto \"%3\" passa da largura %4")
                             .arg(row + 1).arg(field.name, text).arg(field.width));
        return QVariant(std::move(text));
    }
    case TPacketFieldType::Float:
        if (!value.isDouble() || !std::isfinite(value.toDouble()))
            RefusePacket(QStringLiteral("linha %1, campo %2: esperado um número").arg(row + 1).arg(field.name));
        return value.toDouble();
    case TPacketFieldType::DateTime: {
        const QDateTime dt = value.isString() ? ParseDateTime(value.toString()) : QDateTime();
        if (!dt.isValid())
            RefusePacket(QStringLiteral("linha %1, campo %2: esperada uma data e hora AAAA-MM-DDTHH:MM:SS").arg(row + 1).arg(field.name));
        return dt;
    }
    }
    return QVariant();
}

template <typename JsonValue>  // QJsonValue or QJsonValueConstRef
QVariantList RowFromJson(const QList<TPacketField>& fields, const JsonValue& value, qsizetype row)
{
    if (!value.isArray())
        RefusePacket(QStringLiteral("a linha %1 não é uma lista").arg(row + 1));
    const QJsonArray array = value.toArray();
    if (array.size() != fields.size())
        RefusePacket(QStringLiteral("a linha %1 tem %2 valores para %3 campos").arg(row + 1).arg(array.size()).arg(fields.size()));
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


// ----- data packets straight from bytes ---------------------------------------------------------
//
// The bytes of a data packet are read with simdjson's on-demand parser, value by value, into the
// packet's rows, without a document in between. This reader takes on only packets it can decode
// exactly as the general reader below would (the shape this module's encoder writes: an object of
// "fields" then "rows", field objects of "name", "type" and "width"); on anything else (a JSON
// error, a packet that must be refused, another shape) it gives up and the general reader, built
// on Qt's parser, decodes the bytes or refuses them with its own message. So every packet is
// accepted or refused exactly as before, with the same message.

namespace fast {

namespace od = simdjson::ondemand;

// The values of one column as they are read, with the entry of each recent one, so that a later
// row that repeats a value (the branch, the entry, the item, the status, a label's number within
// its item, a weight) shares its entry. A value is known again by its raw JSON token, the bytes
// of the cell as they stand in the packet, before any unescaping or number reading: a repeated
// value costs a comparison of a few bytes. Equal tokens are equal values, and only a token that
// was read and accepted is remembered, so a repeat is as valid as its first reading. The previous
// row's token is tried first; the recent tokens sit in a small open-addressed table by a hash of
// their bytes, which starts again when half full. A column whose values hardly ever repeat (a
// barcode) stops looking after a while and reads each value as it comes.
//
// Tokens are views into the padded bytes, which outlive the reading and end in at least
// SIMDJSON_PADDING zeros, so eight bytes may be read from the start of any token.
class ColumnReader {
public:
    struct Recent {
        const char* data = nullptr;  // nullptr: the place is empty
        quint32 size = 0;
        quint32 entry = 0;
        std::string_view Token() const { return {data, size}; }
    };
    static constexpr int kBits = 7;
    static constexpr size_t kKept = size_t(1) << kBits;  // places in the table
    static constexpr size_t kTrial = 512;  // values read before a column may stop looking
    std::vector<QVariant>* values = nullptr;
    TTextBlocks texts;
    size_t seen = 0, repeats = 0;
    size_t expected = 0;  // the rows the packet is expected to hold, once known

    static quint64 Load8(const char* at)
    {
        quint64 word = 0;
        std::memcpy(&word, at, 8);
        return word;
    }
    // The first `n` bytes (at most eight) at `at`, the rest zero.
    static quint64 Head(const char* at, size_t n) { return n >= 8 ? Load8(at) : Load8(at) & ((quint64(1) << (8 * n)) - 1); }

    static bool SameBytes(std::string_view a, std::string_view b)
    {
        const size_t n = a.size();
        if (n != b.size())
            return false;
        if (n <= 8)
            return Head(a.data(), n) == Head(b.data(), n);
        if (Load8(a.data()) != Load8(b.data()) || Load8(a.data() + n - 8) != Load8(b.data() + n - 8))
            return false;
        return n <= 16 || std::memcmp(a.data() + 8, b.data() + 8, n - 16) == 0;
    }

    // A hash of the token's bytes: its length and its first and last eight bytes, enough to tell
    // apart the values of a column that repeat.
    static quint64 HashOf(std::string_view token)
    {
        const size_t n = token.size();
        quint64 h = n ^ (Head(token.data(), n) * 0xC2B2AE3D27D4EB4Full);
        if (n > 8)
            h ^= Load8(token.data() + n - 8) + (h << 6) + (h >> 2);
        return h ^ (h >> 31);
    }

    static size_t Place(std::string_view token) { return size_t((HashOf(token) * 0x9E3779B97F4A7C15ull) >> (64 - kBits)); }

    // Whether the token was met before, with its entry; false too when the column stopped looking.
    // The previous row's token is tried first, as a run of rows (an item's labels) repeats it.
    bool Known(std::string_view token, quint32& entry)
    {
        place_ = nullptr;
        if (seen >= kTrial && repeats * 8 < seen) {
            if (expected > values->capacity())
                values->reserve(expected);  // from now on every cell adds an entry
            return false;
        }
        ++seen;
        if (last_.data && SameBytes(last_.Token(), token)) {
            ++repeats;
            entry = last_.entry;
            return true;
        }
        size_t at = Place(token);
        for (; kept_[at].data; at = (at + 1) % kKept) {
            if (SameBytes(kept_[at].Token(), token)) {
                ++repeats;
                last_ = kept_[at];
                entry = last_.entry;
                return true;
            }
        }
        if (filled_ == kKept / 2) {
            // The table is half full: it starts again, so that a column whose values change as
            // it goes (an item's number) keeps finding the recent ones quickly.
            std::fill(std::begin(kept_), std::end(kept_), Recent());
            filled_ = 0;
            at = Place(token);
        }
        ++filled_;
        place_ = &kept_[at];
        return false;
    }

    // Remembers the token last asked about with the entry made for it.
    void Remember(std::string_view token, quint32 entry)
    {
        last_ = {token.data(), quint32(token.size()), entry};
        if (place_)
            *place_ = last_;
    }

    // A new entry for a value, made in place; returns the entry's number.
    template <typename T>
    quint32 Keep(T&& value)
    {
        values->emplace_back(std::forward<T>(value));
        return quint32(values->size() - 1);
    }

    // A text or date-time cell; false when the text is longer than the field or no date-time.
    bool Text(std::string_view utf8, const TPacketField& field, quint32& entry)
    {
        QString text = texts.Text(utf8);
        if (field.type == TPacketFieldType::DateTime) {
            const QDateTime dateTime = ParseDateTime(text);
            if (!dateTime.isValid())
                return false;
            entry = Keep(dateTime);
            return true;
        }
        if (text.size() > field.width)
            return false;
        // The text moves into the value instead of being copied into it.
        entry = Keep(QMetaType::fromType<QString>());
        static_cast<QString*>(values->back().data())->swap(text);
        return true;
    }

private:
    Recent last_;
    Recent kept_[kKept];
    size_t filled_ = 0;
    Recent* place_ = nullptr;
};

// The characters of a string token (quotes and any trailing spaces dropped) when they need no
// unescaping and hold no control character, as simdjson would give them; false otherwise.
bool PlainString(std::string_view token, std::string_view& text)
{
    const size_t close = token.find_last_of('"');
    if (token.empty() || token.front() != '"' || close == 0 || close == std::string_view::npos)
        return false;
    text = token.substr(1, close - 1);
    unsigned char special = 0;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        special |= static_cast<unsigned char>((u == '\\') | (u < 0x20));
    }
    return special == 0;
}

// The key and the value of an object member; false on a JSON error.
template <typename Member>
bool KeyAndValue(Member& member, std::string_view& key, od::value& value)
{
    return !member.unescaped_key().get(key) && !member.value().get(value);
}

bool Fields(od::value value, QList<TPacketField>& fields)
{
    od::array array;
    if (value.get_array().get(array))
        return false;
    for (auto element : array) {
        od::object o;
        if (element.get_object().get(o))
            return false;
        TPacketField f;
        bool haveName = false, haveType = false, haveWidth = false;
        double width = -1;
        for (auto member : o) {
            std::string_view key;
            od::value v;
            if (!KeyAndValue(member, key, v))
                return false;
            std::string_view text;
            if (key == "name" && !haveName) {
                if (v.get_string().get(text))
                    return false;
                f.name = QString::fromUtf8(text.data(), qsizetype(text.size()));
                haveName = true;
            } else if (key == "type" && !haveType) {
                if (v.get_string().get(text))
                    return false;
                if (!ParseFieldType(QString::fromUtf8(text.data(), qsizetype(text.size())), f.type))
                    return false;
                haveType = true;
            } else if (key == "width" && !haveWidth) {
                od::json_type t;
                if (v.type().get(t) || t != od::json_type::number || v.get_double().get(width))
                    return false;
                haveWidth = true;
            } else {
                return false;
            }
        }
        if (f.name.isEmpty() || !haveType)
            return false;
        for (const TPacketField& seen : fields)
            if (seen.name.compare(f.name, Qt::CaseInsensitive) == 0)
                return false;
        if (IsTextType(f.type)) {
            if (!haveWidth || !(width >= 1 && width <= std::numeric_limits<int>::max()) || width != std::floor(width))
                return false;
            f.width = static_cast<int>(width);
        }
        fields.append(f);
    }
    return true;
}

// Reads a cell not met before as its field's type into a new entry (null is entry 0); false when
// the general reader must judge the packet.
[[gnu::noinline]] bool ReadCell(const TPacketField& field, od::value& v, std::string_view token, ColumnReader& column,
                                quint32& entry)
{
    od::json_type t;
    if (v.type().get(t))
        return false;
    if (t == od::json_type::null) {
        bool isNull = false;
        if (v.is_null().get(isNull) || !isNull)
            return false;
        entry = 0;
        return true;
    }
    switch (field.type) {
    case TPacketFieldType::String:
    case TPacketFieldType::FixedString:
    case TPacketFieldType::DateTime: {
        std::string_view utf8;
        if (t != od::json_type::string || (!PlainString(token, utf8) && v.get_string().get(utf8)))
            return false;
        return column.Text(utf8, field, entry);
    }
    case TPacketFieldType::Float: {
        double number = 0;
        if (t != od::json_type::number)
            return false;
        if (v.get_double().get(number))
            return false;  // no JSON number (simdjson checks the grammar)
        if (token.size() > 18) {
            // More digits than simdjson's exact path takes: its value for a long mantissa can be
            // far off (-0.444… with sixty digits came back as -1.43e-47), so the number is read
            // again as Qt's reader reads it; one that does not read as a finite number goes to
            // the general reader.
            bool ok = false;
            number = QByteArray::fromRawData(token.data(), qsizetype(token.size())).toDouble(&ok);
            if (!ok || !std::isfinite(number))
                return false;
        }
        if (number == 0) {
            // A number too small for a double is no JSON to the general reader; a zero is zero,
            // negative zero included.
            const std::string_view mantissa = token.substr(0, token.find_first_of("eE"));
            if (mantissa.find_first_of("123456789") != std::string_view::npos)
                return false;
            number = 0;
        }
        entry = column.Keep(number);
        return true;
    }
    }
    return false;
}

bool Rows(od::value value, od::document& doc, const simdjson::padded_string_view& bytes, TPacketColumns& packet)
{
    od::array array;
    if (value.get_array().get(array))
        return false;
    const size_t width = size_t(packet.fields.size());
    packet.values.assign(width, std::vector<QVariant>(1));
    std::vector<ColumnReader> columns(width);
    for (size_t c = 0; c < width; ++c)
        columns[c].values = &packet.values[c];
    const TPacketField* fields = packet.fields.constData();
    // The cells are written through a pointer of the loop's own, the vector sized ahead and cut to
    // the rows read at the end.
    quint32* out = nullptr;
    size_t used = 0, room = 0;
    const char* start = nullptr;
    if (doc.current_location().get(start))
        start = nullptr;
    for (auto element : array) {
        od::array cells;
        if (element.get_array().get(cells))
            return false;
        if (room - used < width) {
            packet.cells.resize(std::max(packet.cells.size() * 2, used + width));
            out = packet.cells.data();
            room = packet.cells.size();
        }
        size_t c = 0;
        for (auto cell : cells) {
            od::value v;
            if (c == width || cell.get(v))
                return false;
            // A value met before is known by its token alone; a new one is read and remembered.
            const std::string_view token = v.raw_json_token();
            ColumnReader& column = columns[c];
            quint32 entry = 0;
            if (!column.Known(token, entry)) {
                if (!ReadCell(fields[c], v, token, column, entry))
                    return false;
                column.Remember(token, entry);
            }
            out[used + c] = entry;
            ++c;
        }
        if (c != width)
            return false;
        used += width;
        if (++packet.rows == 1 && start) {
            // The first row's length tells about how many rows follow, so that the cells and the
            // columns whose values do not repeat grow once instead of doubling.
            const char* now = nullptr;
            if (!doc.current_location().get(now) && now > start) {
                const size_t expected = (bytes.size() - size_t(now - bytes.data())) / size_t(now - start) + 1;
                packet.cells.resize(std::max(packet.cells.size(), expected * width));
                out = packet.cells.data();
                room = packet.cells.size();
                for (ColumnReader& column : columns)
                    column.expected = expected;
            }
        }
    }
    packet.cells.resize(used);
    return true;
}

// The bytes with the zeroed padding simdjson reads past the end, in a buffer kept per thread.
simdjson::padded_string_view Padded(const QByteArray& bytes)
{
    thread_local std::unique_ptr<char[]> buffer;
    thread_local size_t capacity = 0;
    const size_t size = size_t(bytes.size());
    if (capacity < size + simdjson::SIMDJSON_PADDING) {
        capacity = size + size / 4 + simdjson::SIMDJSON_PADDING;
        buffer = std::make_unique<char[]>(capacity);
    }
    std::memcpy(buffer.get(), bytes.constData(), size);
    std::memset(buffer.get() + size, 0, simdjson::SIMDJSON_PADDING);
    return simdjson::padded_string_view(buffer.get(), size, capacity);
}

bool Decode(const QByteArray& bytes, TPacketColumns& packet)
{
    thread_local od::parser parser;
    od::document doc;
    const simdjson::padded_string_view padded = Padded(bytes);
    if (parser.iterate(padded).get(doc))
        return false;
    od::object top;
    if (doc.get_object().get(top))
        return false;
    bool haveFields = false, haveRows = false;
    for (auto member : top) {
        std::string_view key;
        od::value v;
        if (!KeyAndValue(member, key, v))
            return false;
        if (key == "fields" && !haveFields) {
            if (!Fields(v, packet.fields))
                return false;
            haveFields = true;
        } else if (key == "rows" && haveFields && !haveRows) {
            if (!Rows(v, doc, padded, packet))
                return false;
            haveRows = true;
        } else {
            return false;
        }
    }
    // Nothing may follow the packet: a location past it would be a further token.
    const char* after = nullptr;
    return haveRows && doc.current_location().get(after) != simdjson::SUCCESS;
}

}  // namespace fast

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
        RefusePacket(QStringLiteral("\"rows\" ausente ou não é uma lista"));
    const QJsonArray rows = rowsValue.toArray();
    packet.rows.reserve(rows.size());
    qsizetype r = 0;
    for (auto it = rows.constBegin(); it != rows.constEnd(); ++it, ++r)
        packet.rows.emplaceBack(RowFromJson(packet.fields, *it, r));
    return packet;
}

namespace {

// The general reader on bytes: Qt's parser, then the packet's checks.
TDataPacket GeneralFromJsonBytes(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        RefusePacket(QStringLiteral("o texto não é JSON (%1)").arg(error.errorString()));
    if (!doc.isObject())
        RefusePacket(QStringLiteral("o pacote não é um objeto"));
    return DataPacketFromJson(doc.object());
}

}  // namespace

TDataPacket DataPacketFromJsonBytes(const QByteArray& bytes)
{
    TPacketColumns columns;
    if (fast::Decode(bytes, columns))
        return columns.ToPacket();
    return GeneralFromJsonBytes(bytes);
}

TPacketColumns DataPacketColumnsFromJsonBytes(const QByteArray& bytes)
{
    TPacketColumns columns;
    if (fast::Decode(bytes, columns))
        return columns;
    // The general reader's packet, every cell an entry of its own.
    TDataPacket packet = GeneralFromJsonBytes(bytes);
    columns = TPacketColumns();
    columns.fields = packet.fields;
    const size_t width = size_t(packet.fields.size());
    columns.values.assign(width, std::vector<QVariant>(1));
    columns.cells.reserve(size_t(packet.rows.size()) * width);
    for (QVariantList& row : packet.rows) {
        for (size_t c = 0; c < width; ++c) {
            QVariant& v = row[qsizetype(c)];
            if (!v.isValid()) {
                columns.cells.push_back(0);
                continue;
            }
            columns.values[c].push_back(std::move(v));
            columns.cells.push_back(quint32(columns.values[c].size() - 1));
        }
        ++columns.rows;
    }
    return columns;
}

TDataPacket TPacketColumns::ToPacket() const
{
    TDataPacket packet;
    packet.fields = fields;
    packet.rows.reserve(rows);
    const size_t width = size_t(fields.size());
    for (qsizetype r = 0; r < rows; ++r) {
        QVariantList row;
        row.reserve(qsizetype(width));
        const quint32* entries = cells.data() + size_t(r) * width;
        for (size_t c = 0; c < width; ++c)
            row.append(values[c][entries[c]]);
        packet.rows.append(std::move(row));
    }
    return packet;
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
        RefusePacket(QStringLiteral("\"changes\" ausente ou não é uma lista"));
    const QJsonArray changes = changesValue.toArray();
    for (qsizetype i = 0; i < changes.size(); ++i) {
        if (!changes.at(i).isObject())
            RefusePacket(QStringLiteral("a alteração %1 não é um objeto").arg(i + 1));
        const QJsonObject o = changes.at(i).toObject();
        const QString kind = o.value(QLatin1String("kind")).toString();
        TChange c;
        if (kind == QLatin1String("insert")) c.kind = TChangeKind::Insert;
        else if (kind == QLatin1String("modify")) c.kind = TChangeKind::Modify;
        else if (kind == QLatin1String("delete")) c.kind = TChangeKind::Delete;
        else RefusePacket(QStringLiteral("a alteração %1 tem o tipo desconhecido \"%2\"").arg(i + 1).arg(kind));
        if (c.kind != TChangeKind::Insert)
            c.oldRow = RowFromJson(packet.fields, o.value(QLatin1String("old")), i);
        if (c.kind != TChangeKind::Delete)
            c.newRow = RowFromJson(packet.fields, o.value(QLatin1String("new")), i);
        packet.changes.append(c);
    }
    return packet;
}
