#include "framework/labelsheetengine.h"

#include "framework/form.h"
#include "framework/routines.h"
#include "framework/workstation.h"
#include "platform/clientdataset.h"
#include "platform/datasource.h"
#include "platform/errors.h"

namespace {

TClientDataSet& ReportData(const TReportRequest& request)
{
    TDataSource* chosen = nullptr;
    for (TDataSource* source : request.dataSources) {
        if (!source || !source->DataSet())
            continue;
        if (source->objectName() == QLatin1String("dtsRelEtiquetas"))
            return *source->DataSet();
        if (!chosen)
            chosen = source;
    }
    if (!chosen)
        throw Exception(QStringLiteral("O relatório '%1' não tem dados para imprimir.").arg(request.reportCode));
    return *chosen->DataSet();
}

const QString kPrinterKey = QStringLiteral("printing/printer");
const QString kLabelPrinterKindKey = QStringLiteral("labelPrinter/kind");
const QString kLabelPrinterQueueKey = QStringLiteral("labelPrinter/queue");
const QString kLabelPrinterHostKey = QStringLiteral("labelPrinter/host");
const QString kLabelPrinterPortKey = QStringLiteral("labelPrinter/port");

void RecallPrinters(TReportOutput& output)
{
    output.PrinterName = TWorkstation::Value(kPrinterKey, output.PrinterName).toString();
    TLabelPrinterDestination& label = output.LabelPrinter;
    const QString kind = TWorkstation::Value(kLabelPrinterKindKey).toString();
    if (kind == QLatin1String("network"))
        label.kind = TLabelPrinterDestination::TKind::Network;
    else if (kind == QLatin1String("queue"))
        label.kind = TLabelPrinterDestination::TKind::Queue;
    label.queue = TWorkstation::Value(kLabelPrinterQueueKey, label.queue).toString();
    label.host = TWorkstation::Value(kLabelPrinterHostKey, label.host).toString();
    bool ok = false;
    const int port = TWorkstation::Value(kLabelPrinterPortKey, label.port).toInt(&ok);
    if (ok && port > 0 && port <= 65535)
        label.port = port;
}

void RememberPrinters(const TReportOutput& output)
{
    if (!output.PrinterName.isEmpty())
        TWorkstation::SetValue(kPrinterKey, output.PrinterName);
    const TLabelPrinterDestination& label = output.LabelPrinter;
    if (label.IsEmpty())
        return;
    const bool network = label.kind == TLabelPrinterDestination::TKind::Network;
    TWorkstation::SetValue(kLabelPrinterKindKey, network ? QStringLiteral("network") : QStringLiteral("queue"));
    TWorkstation::SetValue(kLabelPrinterQueueKey, label.queue);
    TWorkstation::SetValue(kLabelPrinterHostKey, label.host);
    TWorkstation::SetValue(kLabelPrinterPortKey, label.port);
}

} // namespace

QString TLabelSheetEngine::Directory(const QString& reportsDirectory)
{
    return reportsDirectory.isEmpty() ? TReportCatalog::DefaultDirectory() : reportsDirectory;
}

QStringList TLabelSheetEngine::ReportNames(const QString& reportCode, const QString& reportsDirectory)
{
    TLabelReportEngine engine;
    if (!engine.Load(reportCode, Directory(reportsDirectory)))
        return {};
    return engine.ReportNames();
}

TLabelReportEngine& TLabelSheetEngine::Load(const TReportRequest& request)
{
    TReportRequest located = request;
    located.reportsDirectory = Directory(request.reportsDirectory);
    if (!engine_.Load(located.reportCode, located.reportsDirectory))
        MensErro(MissingReportMessage(located), true);
    return engine_;
}

void TLabelSheetEngine::Preview(const TReportRequest& request)
{
    Load(request).Preview(request.reportName, ReportData(request), request.screen);
}

void TLabelSheetEngine::Print(const TReportRequest& request)
{
    TLabelReportEngine& engine = Load(request);
    RecallPrinters(engine.Output);
    if (engine.Print(request.reportName, ReportData(request), request.screen))
        RememberPrinters(engine.Output);
}

void TLabelSheetEngine::Design(const TReportRequest& request, bool)
{
    // The file is opened as it is, without reading it: a definition that does not parse must
    // still reach the editor to be repaired.
    TReportRequest located = request;
    located.reportsDirectory = Directory(request.reportsDirectory);
    const QString path = TReportCatalog::DefinitionPath(located.reportCode, located.reportsDirectory);
    if (path.isEmpty())
        MensErro(MissingReportMessage(located), true);
    engine_.Output.EditDefinition(path);
}

QByteArray TLabelSheetEngine::Zpl(const TReportRequest& request)
{
    return Load(request).Zpl(request.reportName, ReportData(request));
}

int TLabelSheetEngine::PrintToPdf(const TReportRequest& request, const QString& path)
{
    return Load(request).PrintToPdf(request.reportName, ReportData(request), path);
}
