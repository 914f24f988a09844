#pragma once
// One column of a record set (TClientDataSet): its definition (name, kind, width), how it is shown
// (display label, visible flag, display format, edit mask, alignment, get-text handler) and the
// value of the current row, read and written in several kinds.
//
// Reading: a null value reads as "" (AsString), 0 (AsFloat, AsInteger) and an invalid QDateTime
// (AsDateTime). A text that does not convert to the kind asked for raises EConvertError naming the
// text. Writing requires the record set to be in Edit or Insert state (else EDatabaseError); an
// aggregate field is never written (EDatabaseError naming it). An empty text written to any
// field, or an invalid QDateTime/QVariant, makes the field null, as an empty text loaded from a
// packet does.
// Date-times are wall-clock values (sysutils.h): whatever zone a written QDateTime carries, the
// field keeps its date and time of day and reads them back in Qt::UTC, so no time zone can make
// a date invalid or move it.
// A text longer than the field's width is refused with EDatabaseError naming the field, the width
// and the text; it is never cut. Fixed-width text is stored as given (not padded) and obeys the
// same width rule.
//
// Display text: the get-text handler when set (it receives an empty text to fill); otherwise a
// number is shown with its DisplayFormat (FormatFloat patterns such as "#####0.000") or, without
// one, in the general format with 15 significant digits and a decimal comma; a date-time as
// dd/mm/yyyy (plus hh:nn:ss when it has a time of day) or with its DisplayFormat (dd, mm, yyyy, hh,
// nn, ss); a text through its EditMask when one is set. Text() is the edit text: the handler with
// displayText = false, else the plain value (no mask, no display format).
//
// While a TRecordPeek lives on the field's record set, every getter reads the peeked row instead.

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <functional>

class TClientDataSet;

enum class TFieldType { String, FixedString, Float, DateTime };
enum class TAlignment { Left, Right, Center };
enum class TPacketFieldType;

inline bool IsText(TFieldType type)
{
    return type == TFieldType::String || type == TFieldType::FixedString;
}

// A field's kind as a packet's column carries it, and back.
TPacketFieldType PacketFieldType(TFieldType type);
TFieldType FieldTypeOf(TPacketFieldType type);

class TField {
public:
    TField(TClientDataSet* dataSet, const QString& name, TFieldType type, int size, int slot);
    virtual ~TField() = default;
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    const QString& FieldName() const { return name_; }
    TFieldType DataType() const { return type_; }
    int Size() const { return size_; }  // maximum characters of a text field; 0 otherwise
    TClientDataSet* DataSet() const { return dataSet_; }
    int Index() const { return slot_; }  // position among the record set's fields

    QString DisplayLabel;  // column title; DisplayName() falls back to the field name
    bool Visible = true;
    QString DisplayFormat;
    QString EditMask;
    TAlignment Alignment;  // Right for numbers, Left otherwise, unless set
    std::function<void(TField* sender, QString& text, bool displayText)> OnGetText;

    QString DisplayName() const { return DisplayLabel.isEmpty() ? name_ : DisplayLabel; }

    virtual bool IsNull() const;
    void Clear();

    QString AsString() const;
    void SetAsString(const QString& text);
    double AsFloat() const;
    void SetAsFloat(double value);
    int AsInteger() const;  // numbers are rounded half to even; outside 32 bits is EConvertError
    void SetAsInteger(int value);
    QDateTime AsDateTime() const;
    void SetAsDateTime(const QDateTime& value);
    virtual QVariant Value() const;  // QString, double, QDateTime, or invalid for null
    void SetValue(const QVariant& value);
    void SetValue(QVariant&& value);  // the same, taking the value instead of copying it

    QString DisplayText() const;
    QString Text() const;

protected:
    // The text of a value by the field's kind, without handler: display or edit form.
    QString FormatValue(const QVariant& value, bool displayText) const;
    // The field's kind for conversions (an aggregate answers the kind of its result).
    virtual TFieldType ValueType() const { return type_; }

private:
    // The current cell without copying it (an aggregate computes it into scratch).
    const QVariant& Cell(QVariant& scratch) const;
    void Store(QVariant&& value);
    void Convert(QVariant& value) const;

    TClientDataSet* dataSet_;
    QString name_;
    TFieldType type_;
    int size_;
    int slot_;
};
