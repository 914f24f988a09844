#include "screens/Cli_est99020/splitundo.h"

namespace {

const QString kSequence = QStringLiteral("NRSEQETIQ");
const QString kBarcode = QStringLiteral("CDCODBARRAETIQ");

// Leaves the set in browse state, dropping an edit or insert that a failure interrupted.
void Settle(TClientDataSet& set)
{
    if (set.State() == TDataSetState::Edit || set.State() == TDataSetState::Insert)
        set.Cancel();
}

} // namespace

TSplitUndo::TSplitUndo(TClientDataSet& labels, TClientDataSet& printable)
    : labels_(labels), printable_(printable), printableFiltered_(printable.Filtered())
{
}

void TSplitUndo::Numbering(const TBookmark& row, const QVariant& sequence, const QVariant& barcode)
{
    numbered_.append({row, sequence, barcode});
}

void TSplitUndo::SourceRowAdded(const TBookmark& row)
{
    sourceRow_ = row;
}

void TSplitUndo::PrintableAdded(const TBookmark& row)
{
    printableAdded_.append(row);
}

void TSplitUndo::PrintableRemoving()
{
    printableRemoved_.clear();
    for (const TField* field : printable_.Fields())
        printableRemoved_.append(field->Value());
    removed_ = true;
}

void TSplitUndo::Undo()
{
    // Each half is taken back on its own: a failure in one must not keep the other as it is.
    try {
        UndoLabels();
    } catch (...) {
    }
    try {
        UndoPrintable();
    } catch (...) {
    }
}

void TSplitUndo::UndoLabels()
{
    Settle(labels_);
    // A row inserted and deleted again leaves no trace in the change packet.
    if (!sourceRow_.IsNull() && labels_.BookmarkValid(sourceRow_)) {
        labels_.GotoBookmark(sourceRow_);
        labels_.Delete();
    }
    // A new row edited again travels once, with its final values: the ones it had before.
    for (const TNumbered& numbered : numbered_) {
        if (!labels_.BookmarkValid(numbered.row))
            continue;
        labels_.GotoBookmark(numbered.row);
        labels_.Edit();
        labels_.FieldByName(kSequence)->SetValue(numbered.sequence);
        labels_.FieldByName(kBarcode)->SetValue(numbered.barcode);
        labels_.Post();
    }
    labels_.First();
}

void TSplitUndo::UndoPrintable()
{
    Settle(printable_);
    const bool filtered = printable_.Filtered();
    if (filtered)
        printable_.SetFiltered(false);
    for (const TBookmark& row : printableAdded_) {
        if (!printable_.BookmarkValid(row))
            continue;
        printable_.GotoBookmark(row);
        printable_.Delete();
    }
    if (removed_) {
        printable_.Append();
        const QList<TField*> fields = printable_.Fields();
        for (int i = 0; i < fields.size() && i < printableRemoved_.size(); ++i)
            fields.at(i)->SetValue(printableRemoved_.at(i));
        printable_.Post();
    }
    if (printable_.Filtered() != printableFiltered_)
        printable_.SetFiltered(printableFiltered_);
}
