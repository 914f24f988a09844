#pragma once
// ZPL, the command language of label printers, for the labels of a label-printer layout
// (TReportLayout::IsLabelPrinter): one format ^XA ... ^XZ per label, in the order of the labels,
// each with the label's size in dots (^PW, ^LL), UTF-8 text (^CI28), the layout's text lines as
// fields of the printer's scalable font (^A0) and the barcode as the printer's own Code 128
// command (^BC), so that the printer draws the bars at its full resolution. The positions follow
// the layout as the sheet painter places them: lines from the top inside the padding, the bars
// and their text at the bottom.
//
// Field data goes through the printer's hexadecimal escape (^FH): a caret, tilde or underscore
// in a product name is printed as it is and never read as a command; control characters become
// blanks. A line wider than the label is set smaller, down to 60 %, then cut with an ellipsis.
//
// Build raises Exception when the layout is not a label-printer layout, when the lines and the
// barcode do not fit the label's height, or when the bars cannot have modules of at least
// 0.19 mm at the printer's resolution within the label's width.
//
// Parse reads ZPL back (for the checks of the scripted road and the tests): the fields of each
// format, and Exception saying what is wrong when the text is not a sequence of formats that
// open with ^XA and close with ^XZ, or a field's data holds a caret or tilde that would be read
// as a command instead of being closed with ^FS.

#include "labelsheetreport.h"
#include "reportlayout.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class TZplLabels {
public:
    static QByteArray Build(const TReportLayout& layout, const QList<TLabelContent>& labels);

    // One format as Parse reads it.
    struct TFormat {
        bool utf8 = false;    // ^CI28 given before the first field
        QStringList texts;    // text fields, unescaped, in order
        QStringList barcodes; // Code 128 fields, unescaped, in order
    };
    static QList<TFormat> Parse(const QByteArray& zpl);
};
