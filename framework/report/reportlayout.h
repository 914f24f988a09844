#pragma once
// One named layout of a report definition: a sheet of labels laid out in a grid on a page. The
// layout says the page (size, orientation, margins), the label (size, inner padding, outline), the
// grid (columns, rows, gaps), the text lines of a label (templates with record-set field names in
// braces, "{NMPRODUTO}" or "{VRPESOETIQ|#####0.000}") and the barcode field drawn as a Code 128
// symbol with its text under it. Every length is in millimetres.
//
// FromJson reads one entry of a definition file (docs/reports.md) and raises Exception with a
// Portuguese message naming the layout and the fault when a value is missing, of the wrong kind,
// or the grid does not fit inside the page margins.

#include <QJsonObject>
#include <QList>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QSizeF>
#include <QString>

// One line of text on a label.
struct TLabelLine {
    QString text;          // template: literal text and {FIELD} or {FIELD|format} placeholders
    double sizePt = 0;     // 0: the layout's font size
    bool bold = false;
    Qt::Alignment align = Qt::AlignLeft;
};

class TReportLayout {
public:
    QString name;  // shown in the report-name list of the report screen

    QPageSize pageSize{QPageSize::A4};
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF marginsMm;  // from the paper's edges to the first label row and column

    QSizeF labelMm{99, 38};
    double paddingMm = 2;
    bool border = false;  // a thin grey outline around each label

    int columns = 1;
    int rows = 1;
    double columnGapMm = 0;
    double rowGapMm = 0;

    QString fontFamily = QStringLiteral("DejaVu Sans");
    double fontSizePt = 7.5;
    QList<TLabelLine> lines;

    QString barcodeField;          // empty: no symbol on the label
    double barcodeHeightMm = 10;   // height of the bars
    double maxModuleMm = 0.5;      // widest bar module; narrower when the label is too narrow
    bool barcodeText = true;       // the barcode's text under the bars
    double barcodeTextSizePt = 7;

    // A layout for a label printer: printing sends ZPL at this resolution (dots per inch) to a
    // printer queue or a network printer instead of opening the print dialog. 0: an ordinary
    // page layout. Label-printer layouts hold one label per page.
    int zplDpi = 0;
    bool IsLabelPrinter() const { return zplDpi > 0; }

    int LabelsPerPage() const { return columns * rows; }
    // The page in millimetres, turned by the orientation.
    QSizeF PageSizeMm() const;
    // The rectangle of the label at a position of the page (0-based, row by row), in millimetres
    // from the paper's top-left corner.
    QRectF LabelRectMm(int indexOnPage) const;

    static TReportLayout FromJson(const QJsonObject& json, const QString& where);
};
