#pragma once
// The rows of the printable-label list (cdsRelEtiquetas, DefineRelEtiquetas) and of the report
// screen's print set (DefineRelEtiquetasImpressao): what a printed label shows, taken from its
// item, its invoice and the label itself. The query screen lists every active label it reads,
// a grouping and a split add the labels they create, and the report screen copies the chosen
// rows into its print set.

#include "platform/clientdataset.h"

#include <QString>
#include <QVariant>

// The label's own values in a printable row, and its mark (kMarcada when the label is already
// chosen for printing, as a grouping's or a split's new labels are).
struct TPrintableLabel {
    QString mark;
    QVariant weight;    // VRPESOETIQ
    QVariant quantity;  // QTETIQPROD
    QVariant barcode;   // CDCODBARRAETIQ
};

// Appends and posts a printable-label row: the product fields of the current item, the number
// and series of the current invoice, and the label's values.
void AppendPrintableLabel(TClientDataSet& printable, const TClientDataSet& item, const TClientDataSet& invoice,
                          const TPrintableLabel& label);

// Appends and posts to the print set a copy of the current printable-label row: texts as
// texts, the lot's expiry as a date-time, weight and quantity as numbers (an empty one as 0).
void AppendToPrintSet(TClientDataSet& printSet, const TClientDataSet& printable);
