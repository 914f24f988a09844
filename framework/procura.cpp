#include "framework/procura.h"

#include "framework/uiservices.h"
#include "platform/clientdataset.h"

#include <QApplication>

namespace {

bool RowMatches(TClientDataSet* dataSet, int recNo, TField* field, const QString& value)
{
    TRecordPeek peek(dataSet, recNo);
    return field->DisplayText().contains(value, Qt::CaseInsensitive)
        || field->AsString().contains(value, Qt::CaseInsensitive);
}

} // namespace

void Procura(TClientDataSet* dataSet)
{
    if (!dataSet || !dataSet->Active())
        return;
    UiServices().Find(QApplication::activeWindow(), dataSet);
}

bool FindRecord(TClientDataSet* dataSet, const QString& fieldName, const QString& value, bool fromStart)
{
    if (!dataSet || !dataSet->Active() || dataSet->IsEmpty())
        return false;
    TField* field = dataSet->FindField(fieldName);
    if (!field)
        return false;
    dataSet->CheckBrowseMode();
    const int count = dataSet->RecordCount();
    for (int recNo = fromStart ? 1 : dataSet->RecNo() + 1; recNo <= count; ++recNo) {
        if (RowMatches(dataSet, recNo, field, value)) {
            dataSet->SetRecNo(recNo);
            return true;
        }
    }
    return false;
}
