// Fuzz target: the filter conditions and aggregate expressions of a record set. The input is
// the expression text. As a filter it is set on a small set with text, number and date fields
// and the rows are walked; the rows the set shows must be exactly those the parsed condition
// admits one by one (the set may take a shortcut through its text indexes). As an aggregate it
// is read over the same rows. A text that does not parse must raise EDatabaseError and leave the
// filter in force as it was.

#include "fuzzsupport.h"

#include "platform/clientdataset.h"
#include "platform/errors.h"
#include "platform/filterexpression.h"

#include <QDateTime>

namespace {

struct TRowValues {
    const char* name;
    const char* code;
    double weight;
    bool weightNull;
    double quantity;
    const char* date;   // yyyy-MM-dd HH:mm:ss, nullptr for null
};

const TRowValues kRows[] = {
    {"Queijo minas", "0001", 12.345, false, 1, "2026-12-08 00:00:00"},
    {"queijo MINAS", "0002", 0, false, 3, "2026-12-07 10:30:00"},
    {"", "0003", 0, true, 0, nullptr},
    {"Presunto", "", -4.5, false, 2, "1899-12-30 00:00:00"},
    {"it's", "0001", 1e15, false, -1, "2000-02-29 23:59:59"},
    {"10", "9", 0.1, false, 7, "9999-12-31 12:00:00"},
};

void DefineFields(TClientDataSet& set)
{
    set.AddField(QStringLiteral("NMPRODUTO"), TFieldType::String, 20);
    set.AddField(QStringLiteral("CDFILIAL"), TFieldType::FixedString, 4);
    set.AddField(QStringLiteral("VRPESOETIQ"), TFieldType::Float);
    set.AddField(QStringLiteral("QTETIQPROD"), TFieldType::Float);
    set.AddField(QStringLiteral("DTEMISSAO"), TFieldType::DateTime);
}

void FillRows(TClientDataSet& set)
{
    for (const TRowValues& r : kRows) {
        set.Append();
        set.FieldByName(QStringLiteral("NMPRODUTO"))->SetAsString(QString::fromUtf8(r.name));
        set.FieldByName(QStringLiteral("CDFILIAL"))->SetAsString(QString::fromUtf8(r.code));
        if (!r.weightNull)
            set.FieldByName(QStringLiteral("VRPESOETIQ"))->SetAsFloat(r.weight);
        set.FieldByName(QStringLiteral("QTETIQPROD"))->SetAsFloat(r.quantity);
        if (r.date)
            set.FieldByName(QStringLiteral("DTEMISSAO"))
                ->SetAsDateTime(QDateTime::fromString(QString::fromLatin1(r.date), QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        set.Post();
    }
}

// The rows of the set, each as its values in field order.
QList<QVariantList> AllRows(TClientDataSet& set)
{
    QList<QVariantList> rows;
    for (set.First(); !set.Eof(); set.Next()) {
        QVariantList row;
        for (TField* f : set.Fields())
            row << f->Value();
        rows << row;
    }
    return rows;
}

TFilterExpression::Resolver ResolverOf(const TClientDataSet& set)
{
    return [&set](const QString& name, TFilterExpression::FieldRef& ref) {
        TField* f = set.FindField(name);
        if (!f)
            return false;
        ref.slot = f->Index();
        ref.type = f->DataType();
        return true;
    };
}

void CheckFilter(TClientDataSet& set, const QList<QVariantList>& rows, const QString& text, bool caseInsensitive)
{
    set.SetFiltered(false);
    set.FilterOptions = caseInsensitive ? TFilterOptions(TFilterOption::CaseInsensitive) : TFilterOptions();
    std::shared_ptr<TFilterExpression> parsed;
    try {
        parsed = TFilterExpression::Parse(text, TFilterExpression::Mode::Filter, ResolverOf(set), caseInsensitive);
    } catch (const EDatabaseError&) {
    }
    try {
        set.SetFilter(text);
        set.SetFiltered(true);
    } catch (const EDatabaseError&) {
        FUZZ_CHECK(!parsed, QStringLiteral("the set refuses a condition that parses"));
        // The set keeps the filter it had (none), so every row stays visible.
        FUZZ_CHECK(set.RecordCount() == rows.size(), QStringLiteral("a refused filter hid rows"));
        return;
    }
    // A blank text is no filter at all.
    const bool blank = text.trimmed().isEmpty();
    FUZZ_CHECK(parsed || blank, QStringLiteral("the set takes a condition that does not parse"));
    QList<QVariantList> expected;
    for (const QVariantList& row : rows)
        if (blank || parsed->Matches(row))
            expected << row;
    const QList<QVariantList> shown = AllRows(set);
    FUZZ_CHECK(shown.size() == set.RecordCount(), QStringLiteral("RecordCount differs from the walk"));
    FUZZ_CHECK(shown == expected, QStringLiteral("the filtered set shows %1 rows, the condition admits %2")
                                      .arg(shown.size()).arg(expected.size()));
    for (set.First(); !set.Eof(); set.Next())
        for (TField* f : set.Fields())
            (void)f->DisplayText();
}

void CheckAggregate(const QString& text)
{
    TClientDataSet set;
    DefineFields(set);
    TAggregateField* aggregate = set.AddAggregate(QStringLiteral("AGG"), text);
    set.AggregatesActive = true;
    try {
        set.CreateDataSet();
    } catch (const EDatabaseError&) {
        return;
    }
    try {
        (void)aggregate->Value();
    } catch (const EDatabaseError&) {
        return;
    }
    FillRows(set);
    (void)aggregate->Value();
    (void)aggregate->DisplayText();
    (void)aggregate->AsString();
    aggregate->DisplayFormat = QStringLiteral("#,##0.00");
    (void)aggregate->DisplayText();
    // Maintained through a filter, an edit and a delete.
    set.SetFilter(QStringLiteral("QTETIQPROD > 0"));
    set.SetFiltered(true);
    (void)aggregate->Value();
    set.First();
    set.Edit();
    set.FieldByName(QStringLiteral("VRPESOETIQ"))->Clear();
    set.Post();
    (void)aggregate->Value();
    set.Last();
    set.Delete();
    (void)aggregate->DisplayText();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = FuzzText(data, size);
    TClientDataSet set;
    DefineFields(set);
    set.CreateDataSet();
    FillRows(set);
    const QList<QVariantList> rows = AllRows(set);
    CheckFilter(set, rows, text, false);
    CheckFilter(set, rows, text, true);
    CheckAggregate(text);
    return 0;
}
