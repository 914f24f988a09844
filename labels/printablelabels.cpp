#include "labels/printablelabels.h"

namespace {

TField* Field(const TClientDataSet& set, const char* name)
{
    return set.FieldByName(QLatin1String(name));
}

void Copy(TClientDataSet& to, const TClientDataSet& from, const char* name)
{
    Field(to, name)->SetValue(Field(from, name)->Value());
}

} // namespace

void AppendPrintableLabel(TClientDataSet& printable, const TClientDataSet& item, const TClientDataSet& invoice,
                          const TPrintableLabel& label)
{
    printable.Append();
    Field(printable, "IDCHECK")->SetAsString(label.mark);
    for (const char* name : {"NMPRODUTO", "LOTESUBLOTE", "DTVALILOTE", "NRSEQITPROD", "SGUNIDADE", "CDARVPROD"})
        Copy(printable, item, name);
    for (const char* name : {"NRNOTAFISC", "CDSERIEENTR"})
        Copy(printable, invoice, name);
    Field(printable, "VRPESOETIQ")->SetValue(label.weight);
    Field(printable, "QTETIQPROD")->SetValue(label.quantity);
    Field(printable, "CDCODBARRAETIQ")->SetValue(label.barcode);
    printable.Post();
}

void AppendToPrintSet(TClientDataSet& printSet, const TClientDataSet& printable)
{
    printSet.Append();
    for (const char* name : {"IDCHECK", "NMPRODUTO", "LOTESUBLOTE", "SGUNIDADE", "NRNOTAFISC", "CDSERIEENTR",
                             "CDARVPROD", "CDCODBARRAETIQ"})
        Field(printSet, name)->SetAsString(Field(printable, name)->AsString());
    Field(printSet, "DTVALILOTE")->SetAsDateTime(Field(printable, "DTVALILOTE")->AsDateTime());
    Field(printSet, "VRPESOETIQ")->SetAsFloat(Field(printable, "VRPESOETIQ")->AsFloat());
    Field(printSet, "QTETIQPROD")->SetAsFloat(Field(printable, "QTETIQPROD")->AsFloat());
    printSet.Post();
}
