#pragma once
// TVariant: one tagged value of the application-server protocol (null, text, double, whole
// number, boolean, date as a day number, array of tagged values, data or change packet as a JSON
// object). Text may be marked as passed by reference, so that the server's new value comes back
// into it.
//
// ToJson writes {"type": T, "value": V}; FromJson reads it back and throws EConvertError saying
// what is wrong when the JSON has another shape. The As* readers convert between scalar kinds
// where that makes sense (text to number in the pt-BR locale, number to text in the general
// format) and throw EConvertError otherwise.

#include "platform/sysutils.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>

class TVariant {
public:
    enum class Kind { Null, String, Double, Integer, Boolean, Date, Array, Packet };

    TVariant() = default;
    static TVariant FromString(const QString& value, bool byRef = false);
    static TVariant FromDouble(double value);
    static TVariant FromInteger(qint64 value);
    static TVariant FromBool(bool value);
    static TVariant FromDate(TDateTime value);
    static TVariant FromArray(const QList<TVariant>& items);
    static TVariant FromPacket(const QJsonObject& packet);

    Kind kind() const { return kind_; }
    bool IsNull() const { return kind_ == Kind::Null; }
    bool IsByRef() const { return byRef_; }

    QString AsString() const;   // null is empty text; an array or packet is EConvertError
    double AsDouble() const;
    qint64 AsInteger() const;
    bool AsBool() const;
    TDateTime AsDate() const;
    const QList<TVariant>& AsArray() const;
    const TVariant& operator[](int index) const;
    const QJsonObject& AsPacket() const;

    QJsonObject ToJson() const;   // a double that is not finite is EConvertError
    static TVariant FromJson(const QJsonValue& json);

    bool operator==(const TVariant& other) const;

    static QString KindName(Kind kind);   // the protocol's name of a kind ("string", "date", ...)

private:
    explicit TVariant(Kind kind) : kind_(kind) {}

    Kind kind_ = Kind::Null;
    bool byRef_ = false;
    QString string_;
    double number_ = 0;   // double and date
    qint64 integer_ = 0;
    bool boolean_ = false;
    QList<TVariant> array_;
    QJsonObject packet_;
};
