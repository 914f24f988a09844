#include "framework/reportengine.h"

#include "framework/form.h"
#include "framework/labelsheetengine.h"
#include "framework/messages.h"
#include "framework/report/reportcatalog.h"
#include "platform/sysutils.h"

namespace {

TReportEngine* current = nullptr;

} // namespace

TReportEngine& ReportEngine()
{
    static TLabelSheetEngine labelSheets;
    return current ? *current : labelSheets;
}

void SetReportEngine(TReportEngine* engine)
{
    current = engine;
}

QString MissingReportMessage(const TReportRequest& request)
{
    QString text = request.messages ? request.messages->Msg(QStringLiteral("Arq_Rel_Err")) : QString();
    if (text.isEmpty())
        text = QString::fromUtf8(kReportNotFoundText);
    return FillPlaceholders(text, {request.reportCode, request.reportsDirectory});
}
