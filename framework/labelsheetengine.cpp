#include "framework/labelsheetengine.h"

#include "framework/form.h"
#include "framework/routines.h"
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
    Load(request).Print(request.reportName, ReportData(request), request.screen);
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

int TLabelSheetEngine::PrintToPdf(const TReportRequest& request, const QString& path)
{
    return Load(request).PrintToPdf(request.reportName, ReportData(request), path);
}
