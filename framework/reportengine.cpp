#include "framework/reportengine.h"

#include "framework/form.h"
#include "framework/labelsheetengine.h"
#include "framework/messages.h"

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
        text = QStringLiteral("O arquivo contendo a definição do relatório de código '%s' não foi encontrado no diretório '%s'.");
    for (const QString& value : {request.reportCode, request.reportsDirectory}) {
        const int at = text.indexOf(QLatin1String("%s"));
        if (at >= 0)
            text.replace(at, 2, value);
    }
    return text;
}
