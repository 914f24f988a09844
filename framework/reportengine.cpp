#include "framework/reportengine.h"

#include "framework/form.h"
#include "framework/messages.h"
#include "framework/uiservices.h"

namespace {

class TMissingReportEngine : public TReportEngine {
public:
    QStringList ReportNames(const QString&, const QString&) override { return {}; }
    void Preview(const TReportRequest& request) override { Report(request); }
    void Print(const TReportRequest& request) override { Report(request); }
    void Design(const TReportRequest& request, bool) override
    {
        UiServices().Information(request.screen, QStringLiteral("O editor de relatórios não está disponível."));
    }

private:
    static void Report(const TReportRequest& request)
    {
        UiServices().Error(request.screen, MissingReportMessage(request));
    }
};

TReportEngine* current = nullptr;

} // namespace

TReportEngine& ReportEngine()
{
    static TMissingReportEngine placeholder;
    return current ? *current : placeholder;
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
