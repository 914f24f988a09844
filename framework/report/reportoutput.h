#pragma once
// Produces a report from a layout and a record set: a print-preview window, a printout on the
// printer the user picks (or a PDF file, which the print dialog offers too), or a PDF file without
// asking anything. A label-printer layout prints as ZPL to the printer queue or network printer
// the user picks in the label-printer dialog, which takes the print dialog's place. It also opens
// a definition file in the system's editor.
//
// Every operation reads the whole record set and encodes every barcode before any window opens or
// any page is painted, so a fault in the data or the layout raises (see TLabelSheetReport) and
// nothing is produced. The dialogs run through replaceable hooks so that tests and scripted runs
// never block; their defaults run the real dialogs modally.

#include "labelprinter.h"
#include "reportlayout.h"

#include <QByteArray>

#include <QString>
#include <QUrl>

#include <functional>

class QPrintDialog;
class QPrintPreviewDialog;
class QWidget;
class TClientDataSet;

class TReportOutput {
public:
    TReportOutput();

    // Runs the preview window, which has already painted its pages; default: exec().
    std::function<void(QPrintPreviewDialog&)> RunPreview;
    // Runs the print dialog; true when the user chose to print. Default: exec() == Accepted.
    std::function<bool(QPrintDialog&)> RunPrintDialog;
    // Runs the label-printer dialog; true when the user chose to print. Default: exec() == Accepted.
    std::function<bool(TLabelPrinterDialog&)> RunLabelPrinterDialog;
    // Opens a file in the system's editor; true when it could. Default: QDesktopServices::openUrl.
    std::function<bool(const QUrl&)> OpenUrl;

    // The printer the print dialog opens on when the system still has it; after a print on a
    // printer, the printer chosen. Empty: the system's default printer.
    QString PrinterName;
    // The destination the label-printer dialog opens with; after a print, the one chosen.
    TLabelPrinterDestination LabelPrinter;

    // Shows the labels in a print-preview window (from which the user may also print); returns
    // when the window is closed. The caption names the title, when given, and the layout.
    void Preview(const TReportLayout& layout, TClientDataSet& data, QWidget* parent,
                 const QString& title = QString()) const;
    // Asks for a printer (or a PDF file) and prints the labels there; for a label-printer layout,
    // asks for the label printer and sends it the ZPL. Returns false, printing nothing, when the
    // user cancels, and without asking when the record set has no row: an empty sheet of label
    // stock would be wasted. Exception when the label printer cannot be reached or refuses.
    bool Print(const TReportLayout& layout, TClientDataSet& data, QWidget* parent, const QString& title = QString());
    // The ZPL a label-printer layout sends for the record set (see TZplLabels).
    QByteArray Zpl(const TReportLayout& layout, TClientDataSet& data) const;
    // Writes the labels to a PDF file (one blank page when there are none); returns the pages.
    // Exception when the file cannot be written.
    int PrintToPdf(const TReportLayout& layout, TClientDataSet& data, const QString& path,
                   const QString& title = QString()) const;
    // Opens a report definition file for editing. Exception when the file does not exist or no
    // editor could open it.
    void EditDefinition(const QString& path) const;
};
