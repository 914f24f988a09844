#pragma once
// Reading a label set's rows in tests without moving its cursor.

#include "platform/clientdataset.h"
#include "platform/recordpeek.h"

#include <QStringList>

// The barcodes of the set's visible rows, in its order.
inline QStringList VisibleBarcodes(TClientDataSet* set)
{
    QStringList barcodes;
    for (int row = 1; row <= set->RecordCount(); ++row) {
        TRecordPeek peek(set, row);
        barcodes << set->FieldByName(QStringLiteral("CDCODBARRAETIQ"))->AsString();
    }
    return barcodes;
}
