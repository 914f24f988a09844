#pragma once
// TSplitUndo: what one split confirmation has changed so far in the split screen's new-label
// set and in the query screen's printable-label list, recorded step by step so that a
// confirmation whose send failed can be taken back. After Undo the label set holds its rows
// with the values they had before the confirmation (so its change packet is again the one a
// first confirmation sends), the source label's inactivation row is gone, and the
// printable-label list has lost the rows added for the new labels and has the source label's
// row back. Undo never throws: it runs while another error is on its way to the person.

#include "platform/clientdataset.h"

#include <QList>
#include <QVariant>

class TSplitUndo {
public:
    TSplitUndo(TClientDataSet& labels, TClientDataSet& printable);

    // A label row about to receive its sequence and barcode, with the values it has now.
    void Numbering(const TBookmark& row, const QVariant& sequence, const QVariant& barcode);
    // The source label's inactivation row, appended to the label set.
    void SourceRowAdded(const TBookmark& row);
    // A row appended to the printable-label list for a new label.
    void PrintableAdded(const TBookmark& row);
    // The source label's printable-label row, about to be deleted: the list's current row.
    void PrintableRemoving();

    void Undo();

private:
    struct TNumbered {
        TBookmark row;
        QVariant sequence;
        QVariant barcode;
    };

    void UndoLabels();
    void UndoPrintable();

    TClientDataSet& labels_;
    TClientDataSet& printable_;
    bool printableFiltered_;
    QList<TNumbered> numbered_;
    TBookmark sourceRow_;
    QList<TBookmark> printableAdded_;
    QList<QVariant> printableRemoved_;
    bool removed_ = false;
};
