#pragma once
// TReportEngine: what the base report screen asks of the host's report engine: the names of the
// report definitions of a report code, and preview, print and design of one of them over the
// screen's data sources. ReportEngine() returns the engine in force: the label-sheet engine
// (TLabelSheetEngine) unless another one was installed with SetReportEngine (the caller keeps
// ownership; nullptr goes back to the label-sheet engine).

#include <QList>
#include <QString>
#include <QStringList>

class TDataSource;
class TForm;
class TMessages;

struct TReportRequest {
    QString reportCode;
    QString reportName;
    QString reportsDirectory;
    TForm* screen = nullptr;
    QList<TDataSource*> dataSources;  // the screen's data sources, by object name
    const TMessages* messages = nullptr;
};

class TReportEngine {
public:
    virtual ~TReportEngine() = default;
    virtual QStringList ReportNames(const QString& reportCode, const QString& reportsDirectory) = 0;
    virtual void Preview(const TReportRequest& request) = 0;
    virtual void Print(const TReportRequest& request) = 0;
    virtual void Design(const TReportRequest& request, bool newReport) = 0;
};

TReportEngine& ReportEngine();
void SetReportEngine(TReportEngine* engine);

// The "Arq_Rel_Err" text of the request's messages with its two %s filled by the report code and
// the directory (a Portuguese default when the table has no such entry).
QString MissingReportMessage(const TReportRequest& request);
