// Field values read and written through the owning record set, with the platform's conversions.

#include "field.h"

#include "clientdataset.h"
#include "errors.h"
#include "sysutils.h"

#include <QTime>

#include <cmath>
#include <limits>

TPacketFieldType PacketFieldType(TFieldType type)
{
    switch (type) {
    case TFieldType::String: return TPacketFieldType::String;
    case TFieldType::FixedString: return TPacketFieldType::FixedString;
    case TFieldType::Float: return TPacketFieldType::Float;
    case TFieldType::DateTime: return TPacketFieldType::DateTime;
    }
    return TPacketFieldType::String;
}

TFieldType FieldTypeOf(TPacketFieldType type)
{
    switch (type) {
    case TPacketFieldType::String: return TFieldType::String;
    case TPacketFieldType::FixedString: return TFieldType::FixedString;
    case TPacketFieldType::Float: return TFieldType::Float;
    case TPacketFieldType::DateTime: return TFieldType::DateTime;
    }
    return TFieldType::String;
}

namespace {

// dd/mm/yyyy with an optional " hh:nn[:ss]".
QDateTime TextToDateTime(const QString& text)
{
    const QString t = text.trimmed();
    const qsizetype space = t.indexOf(QLatin1Char(' '));
    const QDateTime day = QtFromDateTime(StrToDate(space < 0 ? t : t.left(space)));
    if (space < 0)
        return day;
    const QString timeText = t.mid(space + 1).trimmed();
    QTime time = QTime::fromString(timeText, QStringLiteral("H:mm:ss"));
    if (!time.isValid())
        time = QTime::fromString(timeText, QStringLiteral("H:mm"));
    if (!time.isValid())
        throw EConvertError(QStringLiteral("'%1' não é uma data e hora válida.").arg(text));
    return WallClock(day.date(), time);
}

QString FormatDateTime(const QString& format, const QDateTime& value)
{
    // The platform's tokens (dd, mm, yyyy, hh, nn, ss) in Qt's spelling.
    QString out;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i).toLower();
        if (c == QLatin1Char('m')) {
            // "mm" right after an hour token means minutes in the platform as well.
            const QString before = out.right(3).toLower();
            out += (before.contains(QLatin1Char('h')) ? QLatin1Char('m') : QLatin1Char('M'));
        } else if (c == QLatin1Char('n')) {
            out += QLatin1Char('m');
        } else if (c == QLatin1Char('h')) {
            out += QLatin1Char('H');
        } else {
            out += format.at(i);
        }
    }
    return value.toString(out);
}

}  // namespace

TField::TField(TClientDataSet* dataSet, const QString& name, TFieldType type, int size, int slot)
    : Alignment(type == TFieldType::Float ? TAlignment::Right : TAlignment::Left),
      dataSet_(dataSet), name_(name), type_(type), size_(IsText(type) ? size : 0), slot_(slot)
{
}

const QVariant& TField::Cell(QVariant& scratch) const
{
    if (slot_ >= 0)
        return dataSet_->FieldValue(slot_);
    scratch = Value();
    return scratch;
}

QVariant TField::Value() const
{
    return dataSet_->FieldValue(slot_);
}

bool TField::IsNull() const
{
    return !dataSet_->FieldValue(slot_).isValid();
}

void TField::Clear()
{
    Store(QVariant());
}

QString TField::AsString() const
{
    QVariant scratch;
    const QVariant& v = Cell(scratch);
    if (!v.isValid())
        return {};
    switch (ValueType()) {
    case TFieldType::String:
    case TFieldType::FixedString:
        if (v.typeId() == QMetaType::QString)
            return *static_cast<const QString*>(v.constData());  // a stored text: no conversion
        return v.toString();
    case TFieldType::Float:
        return FloatToStr(v.toDouble());
    case TFieldType::DateTime:
        return DateTimeToStr(DateTimeFromQt(v.toDateTime()));
    }
    return {};
}

double TField::AsFloat() const
{
    QVariant scratch;
    const QVariant& v = Cell(scratch);
    if (!v.isValid())
        return 0;
    switch (ValueType()) {
    case TFieldType::String:
    case TFieldType::FixedString:
        return StrToFloat(v.toString());
    case TFieldType::Float:
        if (v.typeId() == QMetaType::Double)
            return *static_cast<const double*>(v.constData());  // a stored number: no conversion
        return v.toDouble();
    case TFieldType::DateTime:
        return DateTimeFromQt(v.toDateTime());
    }
    return 0;
}

int TField::AsInteger() const
{
    QVariant scratch;
    const QVariant& v = Cell(scratch);
    if (!v.isValid())
        return 0;
    if (IsText(ValueType()))
        return StrToInt(v.toString());
    const double rounded = std::nearbyint(AsFloat());
    if (!(rounded >= std::numeric_limits<int>::min() && rounded <= std::numeric_limits<int>::max()))
        throw EConvertError(QStringLiteral("'%1' não é um valor inteiro válido.").arg(FloatToStr(AsFloat())));
    return int(rounded);
}

QDateTime TField::AsDateTime() const
{
    QVariant scratch;
    const QVariant& v = Cell(scratch);
    if (!v.isValid())
        return {};
    switch (ValueType()) {
    case TFieldType::String:
    case TFieldType::FixedString:
        return TextToDateTime(v.toString());
    case TFieldType::Float:
        return QtFromDateTime(v.toDouble());
    case TFieldType::DateTime:
        return v.toDateTime();
    }
    return {};
}

void TField::SetAsString(const QString& text)
{
    Store(text.isEmpty() ? QVariant() : QVariant(text));
}

void TField::SetAsFloat(double value)
{
    Store(value);
}

void TField::SetAsInteger(int value)
{
    Store(double(value));
}

void TField::SetAsDateTime(const QDateTime& value)
{
    const QDateTime wallClock = WallClock(value);
    Store(wallClock.isValid() ? QVariant(wallClock) : QVariant());
}

void TField::SetValue(const QVariant& value)
{
    SetValue(QVariant(value));
}

void TField::SetValue(QVariant&& value)
{
    if (!value.isValid() || value.isNull()) {
        Store(QVariant());
        return;
    }
    switch (value.typeId()) {
    case QMetaType::QString:
        Store(std::move(value));  // an empty text is null, as through SetAsString
        return;
    case QMetaType::Double:
        Store(std::move(value));
        return;
    case QMetaType::QDateTime:
        SetAsDateTime(value.toDateTime());
        return;
    case QMetaType::QDate:
        SetAsDateTime(WallClock(value.toDate()));
        return;
    default:
        Store(value.toDouble());
    }
}

// Converts an incoming value (QString, double or QDateTime) to the field's kind, in place: the
// usual value, already of the field's kind, is not moved at all.
void TField::Convert(QVariant& value) const
{
    if (!value.isValid())
        return;
    const int t = value.typeId();
    switch (type_) {
    case TFieldType::String:
    case TFieldType::FixedString: {
        if (t == QMetaType::QString) {
            // The usual case: a text that fits goes in as it is, sharing its characters.
            const QString& given = *static_cast<const QString*>(value.constData());
            if (!given.isEmpty() && given.size() <= size_)
                return;
        }
        QString text;
        if (t == QMetaType::QString) text = value.toString();
        else if (t == QMetaType::QDateTime) text = DateTimeToStr(DateTimeFromQt(value.toDateTime()));
        else text = FloatToStr(value.toDouble());
        if (text.size() > size_)
            throw EDatabaseError(QStringLiteral("O texto \"%1\" não cabe no campo %2 (largura %3).").arg(text, name_).arg(size_));
        value = text.isEmpty() ? QVariant() : QVariant(text);
        return;
    }
    case TFieldType::Float:
        if (t == QMetaType::Double) return;
        if (t == QMetaType::QString) value = StrToFloat(value.toString());
        else if (t == QMetaType::QDateTime) value = DateTimeFromQt(value.toDateTime());
        else value = value.toDouble();
        return;
    case TFieldType::DateTime:
        const QDateTime wallClock = t == QMetaType::QString     ? TextToDateTime(value.toString())
                                    : t == QMetaType::QDateTime ? WallClock(value.toDateTime())
                                                                : QtFromDateTime(value.toDouble());
        value = wallClock.isValid() ? QVariant(wallClock) : QVariant();
        return;
    }
}

void TField::Store(QVariant&& value)
{
    // An aggregate is computed from the rows and has no cell of its own to write.
    if (slot_ < 0)
        throw EDatabaseError(QStringLiteral("O campo %1 é um agregado e não pode ser alterado.").arg(name_));
    Convert(value);
    dataSet_->SetFieldValue(this, std::move(value));
}

QString TField::FormatValue(const QVariant& v, bool displayText) const
{
    if (!v.isValid())
        return {};
    switch (ValueType()) {
    case TFieldType::String:
    case TFieldType::FixedString:
        return displayText && !EditMask.isEmpty() ? FormatMaskText(EditMask, v.toString()) : v.toString();
    case TFieldType::Float:
        return displayText && !DisplayFormat.isEmpty() ? FormatFloat(DisplayFormat, v.toDouble())
                                                       : FloatToStrGeneral(v.toDouble(), 15);
    case TFieldType::DateTime:
        return displayText && !DisplayFormat.isEmpty() ? FormatDateTime(DisplayFormat, v.toDateTime())
                                                       : DateTimeToStr(DateTimeFromQt(v.toDateTime()));
    }
    return {};
}

QString TField::DisplayText() const
{
    if (OnGetText) {
        QString text;
        OnGetText(const_cast<TField*>(this), text, true);
        return text;
    }
    QVariant scratch;
    return FormatValue(Cell(scratch), true);
}

QString TField::Text() const
{
    if (OnGetText) {
        QString text;
        OnGetText(const_cast<TField*>(this), text, false);
        return text;
    }
    QVariant scratch;
    return FormatValue(Cell(scratch), false);
}
