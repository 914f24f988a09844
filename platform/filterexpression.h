#pragma once
// A parsed filter condition or aggregate expression of a record set, bound to the set's field
// positions. Parse() raises EDatabaseError naming the text when it does not parse, names an
// unknown field, or is not of the kind asked for (a condition for a filter, an aggregate call for
// an aggregate). Matches() tells whether a row passes; Aggregate() folds the given rows.
// Comparisons with null are false; arithmetic with null is null, and so is a division by zero.

#include "field.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <memory>

// The cells of one row as an expression reads them, slot by slot, without copying the row: a
// reader function over the row's own storage (a record set's row, or a list of values).
class TRowCells {
public:
    using Reader = const QVariant& (*)(const void* row, int slot);
    TRowCells(const void* row, Reader read) : row_(row), read_(read) {}
    explicit TRowCells(const QVariantList& values)
        : row_(&values), read_([](const void* row, int slot) -> const QVariant& { return static_cast<const QVariantList*>(row)->at(slot); })
    {
    }
    const QVariant& operator[](int slot) const { return read_(row_, slot); }

private:
    const void* row_;
    Reader read_;
};

class TFilterExpression {
public:
    enum class Mode { Filter, Aggregate };
    struct FieldRef {
        int slot = -1;
        TFieldType type = TFieldType::String;
    };
    using Resolver = std::function<bool(const QString& name, FieldRef& ref)>;
    // A FIELD = 'text' term that every passing row satisfies (the filter is an AND of terms).
    struct KeyTerm {
        int slot;
        QString text;
    };

    static std::shared_ptr<TFilterExpression> Parse(const QString& text, Mode mode, const Resolver& resolve,
                                                    bool caseInsensitive);
    ~TFilterExpression();

    bool Matches(const TRowCells& row) const;
    bool Matches(const QVariantList& row) const { return Matches(TRowCells(row)); }
    QVariant Aggregate(qsizetype count, const std::function<TRowCells(qsizetype)>& rowAt) const;
    const QList<KeyTerm>& KeyTerms() const { return keyTerms_; }
    // True when the condition is nothing but its key terms joined by AND.
    bool IsKeyTermsOnly() const { return keyTermsOnly_; }
    bool CaseInsensitive() const { return caseInsensitive_; }
    // The kind of an aggregate's result: text for MAX/MIN of a text field, else a number.
    TFieldType ResultType() const { return resultType_; }

    // Orders two values of a column: null first, texts by character code (optionally ignoring
    // case), numbers and date-times by value. Used for comparisons, sort orders and MAX/MIN.
    static int CompareValues(const QVariant& a, const QVariant& b, bool caseInsensitive);

    struct Node;

private:
    TFilterExpression() = default;

    std::unique_ptr<Node> root_;
    QList<KeyTerm> keyTerms_;
    bool caseInsensitive_ = false;
    bool keyTermsOnly_ = false;
    TFieldType resultType_ = TFieldType::Float;
};
