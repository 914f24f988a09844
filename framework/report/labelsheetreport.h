#pragma once
// Paints a sheet of labels from a record set: one label per row, read in the set's current order
// from the first row to the last, placed row by row in the layout's grid, a new page when a page
// is full. Each label shows the layout's text lines and the barcode field as a Code 128 symbol
// with its text under it; the page size and orientation are the layout's, measured from the
// paper's corner (a printer is put in full-page mode).
//
// ReadLabels reads every row (posting a pending edit first, as a walk would) without moving the
// cursor or firing record-set events, and encodes every symbol, so that a fault is raised before
// anything is painted: EDatabaseError for a field the set lacks, Exception for a malformed line, a
// row without a barcode, a barcode zint cannot encode, or lines that do not fit a label. Paint
// raises Exception when the device cannot be painted on. An empty record set gives one blank page.

#include "barcodesymbol.h"
#include "labeltemplate.h"
#include "reportlayout.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QPagedPaintDevice;
class QPainter;
class QRectF;
class TClientDataSet;

// The proportions every output of a label keeps (the sheet painter's and the label printers').
namespace LabelGeometry {
// The narrowest bar module that scanners still read reliably.
inline constexpr double kMinModuleMm = 0.19;
// Blank space between the text lines and the bars, and between the bars and their text.
inline constexpr double kBarsGapMm = 1.0;
inline constexpr double kBarsTextGapMm = 0.4;
// A line wider than the label is set smaller, down to this share of its size, before it is cut.
inline constexpr double kMinShrink = 0.6;
}  // namespace LabelGeometry

// What one label shows, read from one row.
struct TLabelContent {
    QStringList lines;
    std::optional<TBarcodeSymbol> symbol;
};

class TLabelSheetReport {
public:
    explicit TLabelSheetReport(TReportLayout layout);

    const TReportLayout& Layout() const { return layout_; }

    QList<TLabelContent> ReadLabels(TClientDataSet& data) const;
    // Pages needed for this many labels (at least one).
    int PageCount(int labels) const;
    // Sets the device's page to the layout's and paints the labels; returns the pages painted.
    int Paint(QPagedPaintDevice& device, const QList<TLabelContent>& labels) const;

private:
    void CheckFits(QPainter& painter) const;
    void PaintLabel(QPainter& painter, const QRectF& rect, const TLabelContent& label) const;
    double LinesHeight(QPainter& painter) const;
    double BarcodeBlockHeight(QPainter& painter) const;
    double Mm(const QPainter& painter, double mm) const;

    TReportLayout layout_;
    QList<TLabelTemplate> lines_;
};
