#include "recordpeek.h"

#include "clientdataset.h"

TRecordPeek::TRecordPeek(TClientDataSet* dataSet, int recNo) : dataSet_(dataSet)
{
    dataSet_->PushPeek(recNo);
}

TRecordPeek::~TRecordPeek()
{
    dataSet_->PopPeek();
}
