#pragma once
// Produces a report from a layout and a record set: a print-preview window, a printout on the
// printer the user picks (or a PDF file, which the print dialog offers too), or a PDF file without
// asking anything. It also opens a definition file in the system's editor.
//
// Every operation reads the whole record set and encodes every barcode before any window opens or
// any page is painted, so a fault in the data or the layout raises (see TLabelSheetReport) and
// nothing is produced. The dialogs run through replaceable hooks so that tests and scripted runs
// never block; their defaults run the real dialogs modally.

#include "reportlayout.h"

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
    // Opens a file in the system's editor; true when it could. Default: QDesktopServices::openUrl.
    std::function<bool(const QUrl&)> OpenUrl;

    // Shows the labels in a print-preview window (from which the user may also print); returns
    // when the window is closed. The caption names the title, when given, and the layout.
    void Preview(const TReportLayout& layout, TClientDataSet& data, QWidget* parent,
                 const QString& title = QString()) const;
    // Asks for a printer (or a PDF file) and prints the labels there. Returns false, printing
    // nothing, when the user cancels, and without asking when the record set has no row: an empty
    // sheet of label stock would be wasted.
    bool Print(const TReportLayout& layout, TClientDataSet& data, QWidget* parent,
               const QString& title = QString()) const;
    // Writes the labels to a PDF file (one blank page when there are none); returns the pages.
    // Exception when the file cannot be written.
    int PrintToPdf(const TReportLayout& layout, TClientDataSet& data, const QString& path,
                   const QString& title = QString()) const;
    // Opens a report definition file for editing. Exception when the file does not exist or no
    // editor could open it.
    void EditDefinition(const QString& path) const;
};
