// Aggregate fields: the expression is parsed once per text and evaluated by the record set.

#include "aggregatefield.h"

#include "clientdataset.h"
#include "filterexpression.h"

TAggregateField::TAggregateField(TClientDataSet* dataSet, const QString& name, const QString& expression)
    : TField(dataSet, name, TFieldType::Float, 0, -1), Expression(expression)
{
}

TAggregateField::~TAggregateField() = default;

const TFilterExpression& TAggregateField::Compiled() const
{
    if (!compiled_ || compiledText_ != Expression) {
        compiled_ = DataSet()->CompileAggregate(Expression);
        compiledText_ = Expression;
    }
    return *compiled_;
}

QVariant TAggregateField::Value() const
{
    return DataSet()->AggregateValue(this);
}

TFieldType TAggregateField::ValueType() const
{
    return Compiled().ResultType();
}
