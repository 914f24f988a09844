#include "platform/variant.h"

#include "platform/errors.h"

#include <QJsonArray>

#include <cmath>

namespace {

struct KindName {
    TVariant::Kind kind;
    const char* name;
};

constexpr KindName kKindNames[] = {
    {TVariant::Kind::Null, "null"},       {TVariant::Kind::String, "string"},
    {TVariant::Kind::Double, "double"},   {TVariant::Kind::Integer, "integer"},
    {TVariant::Kind::Boolean, "boolean"}, {TVariant::Kind::Date, "date"},
    {TVariant::Kind::Array, "array"},     {TVariant::Kind::Packet, "packet"},
};

// Portuguese names of the kinds, for messages a user may read.
QString KindDescription(TVariant::Kind kind)
{
    switch (kind) {
    case TVariant::Kind::Null: return QStringLiteral("nulo");
    case TVariant::Kind::String: return QStringLiteral("texto");
    case TVariant::Kind::Double: return QStringLiteral("número");
    case TVariant::Kind::Integer: return QStringLiteral("número inteiro");
    case TVariant::Kind::Boolean: return QStringLiteral("lógico");
    case TVariant::Kind::Date: return QStringLiteral("data");
    case TVariant::Kind::Array: return QStringLiteral("lista");
    case TVariant::Kind::Packet: return QStringLiteral("pacote de dados");
    }
    return {};
}

[[noreturn]] void ThrowCannotConvert(TVariant::Kind from, const QString& to)
{
    throw EConvertError(QStringLiteral("Um valor do tipo %1 não pode ser convertido em %2.")
                            .arg(KindDescription(from), to));
}

[[noreturn]] void ThrowBadShape(const QString& path, const QString& what)
{
    const QString where = path.isEmpty() ? QString() : QStringLiteral(" (em %1)").arg(path);
    throw EConvertError(QStringLiteral("Valor inválido%1: %2.").arg(where, what));
}

// A JSON number that holds a whole value: Qt answers toInteger with the default when it does
// not, so two different defaults tell the cases apart.
bool IsJsonInteger(const QJsonValue& value)
{
    return value.isDouble() && value.toInteger(0) == value.toInteger(1);
}

TVariant FromJsonAt(const QJsonValue& json, const QString& path)
{
    if (!json.isObject())
        ThrowBadShape(path, QStringLiteral("esperava um objeto com \"type\" e \"value\""));
    const QJsonObject object = json.toObject();
    const QJsonValue typeValue = object.value(QStringLiteral("type"));
    if (!typeValue.isString())
        ThrowBadShape(path, QStringLiteral("falta o tipo (\"type\")"));
    const QString type = typeValue.toString();
    const QJsonValue value = object.value(QStringLiteral("value"));
    auto requireValue = [&](bool ok, const char* expected) {
        if (!ok)
            ThrowBadShape(path, QStringLiteral("o valor de um \"%1\" deve ser %2")
                                    .arg(type, QString::fromUtf8(expected)));
    };
    if (type == QLatin1String("null")) {
        requireValue(value.isUndefined() || value.isNull(), "ausente");
        return TVariant();
    }
    if (type == QLatin1String("string")) {
        requireValue(value.isString(), "um texto");
        const QJsonValue byRef = object.value(QStringLiteral("byRef"));
        if (!byRef.isUndefined() && !byRef.isBool())
            ThrowBadShape(path, QStringLiteral("\"byRef\" deve ser true ou false"));
        return TVariant::FromString(value.toString(), byRef.toBool(false));
    }
    if (type == QLatin1String("double")) {
        requireValue(value.isDouble(), "um número");
        return TVariant::FromDouble(value.toDouble());
    }
    if (type == QLatin1String("integer")) {
        requireValue(IsJsonInteger(value), "um número inteiro");
        return TVariant::FromInteger(value.toInteger());
    }
    if (type == QLatin1String("boolean")) {
        requireValue(value.isBool(), "true ou false");
        return TVariant::FromBool(value.toBool());
    }
    if (type == QLatin1String("date")) {
        requireValue(value.isDouble(), "um número de dias");
        return TVariant::FromDate(value.toDouble());
    }
    if (type == QLatin1String("array")) {
        requireValue(value.isArray(), "uma lista");
        const QJsonArray array = value.toArray();
        QList<TVariant> items;
        items.reserve(array.size());
        for (int i = 0; i < array.size(); ++i)
            items << FromJsonAt(array[i], QStringLiteral("%1[%2]").arg(path.isEmpty() ? QStringLiteral("lista") : path).arg(i));
        return TVariant::FromArray(items);
    }
    if (type == QLatin1String("packet")) {
        requireValue(value.isObject(), "um objeto");
        return TVariant::FromPacket(value.toObject());
    }
    ThrowBadShape(path, QStringLiteral("tipo desconhecido \"%1\"").arg(type));
}

}   // namespace

TVariant TVariant::FromString(const QString& value, bool byRef)
{
    TVariant v(Kind::String);
    v.string_ = value;
    v.byRef_ = byRef;
    return v;
}

TVariant TVariant::FromDouble(double value)
{
    TVariant v(Kind::Double);
    v.number_ = value;
    return v;
}

TVariant TVariant::FromInteger(qint64 value)
{
    TVariant v(Kind::Integer);
    v.integer_ = value;
    return v;
}

TVariant TVariant::FromBool(bool value)
{
    TVariant v(Kind::Boolean);
    v.boolean_ = value;
    return v;
}

TVariant TVariant::FromDate(TDateTime value)
{
    TVariant v(Kind::Date);
    v.number_ = value;
    return v;
}

TVariant TVariant::FromArray(const QList<TVariant>& items)
{
    TVariant v(Kind::Array);
    v.array_ = items;
    return v;
}

TVariant TVariant::FromPacket(const QJsonObject& packet)
{
    TVariant v(Kind::Packet);
    v.packet_ = packet;
    return v;
}

QString TVariant::AsString() const
{
    switch (kind_) {
    case Kind::Null: return QString();
    case Kind::String: return string_;
    case Kind::Double: return FloatToStr(number_);
    case Kind::Integer: return QString::number(integer_);
    case Kind::Boolean: return boolean_ ? QStringLiteral("True") : QStringLiteral("False");
    case Kind::Date: return DateTimeToStr(number_);
    case Kind::Array:
    case Kind::Packet: break;
    }
    ThrowCannotConvert(kind_, QStringLiteral("texto"));
}

double TVariant::AsDouble() const
{
    switch (kind_) {
    case Kind::Double:
    case Kind::Date: return number_;
    case Kind::Integer: return double(integer_);
    case Kind::String: return StrToFloat(string_);
    default: break;
    }
    ThrowCannotConvert(kind_, QStringLiteral("número"));
}

qint64 TVariant::AsInteger() const
{
    switch (kind_) {
    case Kind::Integer: return integer_;
    case Kind::String: return StrToInt(string_);
    case Kind::Double:
        // Only a whole number inside the 64-bit range converts; anything else would lose data.
        if (std::isfinite(number_) && number_ == std::trunc(number_) && std::fabs(number_) < 9.2e18)
            return qint64(number_);
        throw EConvertError(QStringLiteral("'%1' não é um valor inteiro válido.").arg(FloatToStr(number_)));
    default: break;
    }
    ThrowCannotConvert(kind_, QStringLiteral("número inteiro"));
}

bool TVariant::AsBool() const
{
    if (kind_ == Kind::Boolean)
        return boolean_;
    if (kind_ == Kind::Integer)
        return integer_ != 0;
    ThrowCannotConvert(kind_, QStringLiteral("lógico"));
}

TDateTime TVariant::AsDate() const
{
    switch (kind_) {
    case Kind::Date:
    case Kind::Double: return number_;
    case Kind::Integer: return double(integer_);
    case Kind::String: return StrToDate(string_);
    default: break;
    }
    ThrowCannotConvert(kind_, QStringLiteral("data"));
}

const QList<TVariant>& TVariant::AsArray() const
{
    if (kind_ != Kind::Array)
        ThrowCannotConvert(kind_, QStringLiteral("lista"));
    return array_;
}

const TVariant& TVariant::operator[](int index) const
{
    const QList<TVariant>& items = AsArray();
    if (index < 0 || index >= items.size())
        throw EConvertError(QStringLiteral("A lista recebida não tem o elemento %1 (tem %2 elemento(s)).")
                                .arg(index)
                                .arg(items.size()));
    return items[index];
}

const QJsonObject& TVariant::AsPacket() const
{
    if (kind_ != Kind::Packet)
        ThrowCannotConvert(kind_, QStringLiteral("pacote de dados"));
    return packet_;
}

QJsonObject TVariant::ToJson() const
{
    QJsonObject json{{QStringLiteral("type"), KindName(kind_)}};
    const QString value = QStringLiteral("value");
    switch (kind_) {
    case Kind::Null:
        break;
    case Kind::String:
        json.insert(value, string_);
        if (byRef_)
            json.insert(QStringLiteral("byRef"), true);
        break;
    case Kind::Double:
    case Kind::Date:
        // JSON has no text for these; sending null instead would change the value unseen.
        if (!std::isfinite(number_))
            throw EConvertError(QStringLiteral("O valor '%1' não pode ser enviado ao servidor de aplicação.")
                                    .arg(FloatToStr(number_)));
        json.insert(value, number_);
        break;
    case Kind::Integer:
        json.insert(value, integer_);
        break;
    case Kind::Boolean:
        json.insert(value, boolean_);
        break;
    case Kind::Array: {
        QJsonArray items;
        for (const TVariant& item : array_)
            items.append(item.ToJson());
        json.insert(value, items);
        break;
    }
    case Kind::Packet:
        json.insert(value, packet_);
        break;
    }
    return json;
}

TVariant TVariant::FromJson(const QJsonValue& json)
{
    return FromJsonAt(json, QString());
}

bool TVariant::operator==(const TVariant& other) const
{
    if (kind_ != other.kind_ || byRef_ != other.byRef_)
        return false;
    switch (kind_) {
    case Kind::Null: return true;
    case Kind::String: return string_ == other.string_;
    case Kind::Double:
    case Kind::Date: return number_ == other.number_;
    case Kind::Integer: return integer_ == other.integer_;
    case Kind::Boolean: return boolean_ == other.boolean_;
    case Kind::Array: return array_ == other.array_;
    case Kind::Packet: return packet_ == other.packet_;
    }
    return false;
}

QString TVariant::KindName(Kind kind)
{
    for (const auto& entry : kKindNames)
        if (entry.kind == kind)
            return QString::fromLatin1(entry.name);
    return {};
}
