#pragma once
// A maintained aggregate of a record set: SUM, MAX, MIN, COUNT or AVG of a field or of an
// arithmetic expression of fields ("MAX(NRSEQETIQ)", "SUM(QTETIQPROD*VRPESOETIQ)"), over the rows
// the filter in force admits. It is current whenever it is read (after every post, delete, load,
// filter or emptying). Value() is null when the set has no visible rows, when the aggregate or the
// set's AggregatesActive switch is off, or when every row's value is null (COUNT then gives 0).
// SUM and AVG give a number; COUNT a number; MAX and MIN of a text field give the text (two texts
// made only of digits are compared as whole numbers, so "10" is above "9", and rank below every
// other text, which compare by character code); otherwise a number.
// Rows whose expression is null are skipped. An expression that does not parse or names an unknown
// field raises EDatabaseError naming the expression when the set opens or when it is read.
//
// Display text: the general format with 15 significant digits, or DisplayFormat when set; null
// shows as an empty text. Aggregates are found by FieldByName/FindField but are not in Fields().

#include "field.h"

#include <memory>

class TFilterExpression;

class TAggregateField : public TField {
public:
    TAggregateField(TClientDataSet* dataSet, const QString& name, const QString& expression);
    ~TAggregateField() override;

    QString Expression;
    bool Active = true;

    QVariant Value() const override;
    bool IsNull() const override { return !Value().isValid(); }

protected:
    TFieldType ValueType() const override;

private:
    friend class TClientDataSet;
    const TFilterExpression& Compiled() const;

    mutable std::shared_ptr<TFilterExpression> compiled_;
    mutable QString compiledText_;
};
