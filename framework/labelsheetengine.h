#pragma once
// TLabelSheetEngine: the host's report engine behind the base report screen. It finds the
// definition of the screen's report code in the reports directory (the session's, or the
// installation's reports folder when the session names none), lists its layouts for
// cbbReportNames, and previews, prints, writes to PDF or opens for editing the layout the user
// picked, over the record set of the screen's data source dtsRelEtiquetas (the first data source
// with a record set when the screen has no such one).
//
// Printing starts from the printer and the label printer this workstation last printed on and
// remembers the ones chosen (TWorkstation).
//
// A definition missing for the report code is reported with the screen's "Arq_Rel_Err" text
// through MensErro with stop, so the calling handler ends there and nothing after it runs (the
// screen's marks stay as they were when no report could be made). A screen without data raises
// Exception; the engine's own faults (a broken definition, an unwritable file) raise Exception.
// Editing opens the definition file without reading it, so a broken one can be repaired.

#include "framework/report/labelreportengine.h"
#include "framework/reportengine.h"

class TLabelSheetEngine : public TReportEngine {
public:
    QStringList ReportNames(const QString& reportCode, const QString& reportsDirectory) override;
    void Preview(const TReportRequest& request) override;
    void Print(const TReportRequest& request) override;
    void Design(const TReportRequest& request, bool newReport) override;

    // Writes the chosen layout to a PDF file; returns the number of pages.
    int PrintToPdf(const TReportRequest& request, const QString& path);
    // The ZPL the chosen label-printer layout would send.
    QByteArray Zpl(const TReportRequest& request);

    // The dialogs' hooks of the engine's output (tests replace them).
    TReportOutput& Output() { return engine_.Output; }

    static QString Directory(const QString& reportsDirectory);

private:
    TLabelReportEngine& Load(const TReportRequest& request);

    TLabelReportEngine engine_;
};
