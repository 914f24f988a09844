#pragma once
// The text of one label line: literal text with placeholders naming fields of the report's record
// set, "{NMPRODUTO}" or "{VRPESOETIQ|#####0.000}"; "{{" and "}}" stand for the braces themselves.
// A placeholder shows its field in the current row: a text as it is, a date as dd/mm/yyyy, a
// number in the general format with a decimal comma, or with the FormatFloat pattern after the
// bar. A null value shows nothing.
//
// The constructor raises Exception naming the text when a brace is not closed or a placeholder has
// no field name. Check raises Exception when a pattern is given to a field that is not a number;
// Check and Render raise EDatabaseError when a named field is not in the record set.

#include <QList>
#include <QString>
#include <QStringList>

class TClientDataSet;

class TLabelTemplate {
public:
    explicit TLabelTemplate(const QString& text);

    QStringList FieldNames() const;
    // Raises when a placeholder names a field the record set lacks, or gives a pattern to a field
    // that is not a number.
    void Check(const TClientDataSet& data) const;
    // The line for the record set's current row (or the row a TRecordPeek shows).
    QString Render(const TClientDataSet& data) const;

private:
    struct TPart {
        QString literal;  // shown as it is when field is empty
        QString field;
        QString format;
    };
    QString text_;
    QList<TPart> parts_;
};
