#include "reportoutput.h"

#include "labelsheetreport.h"
#include "zpllabels.h"
#include "platform/errors.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <exception>

namespace {

// Resolution of PDF output: fine enough that every bar module is a whole number of dots.
constexpr int kPdfResolution = 1200;

QString DocumentName(const TReportLayout& layout, const QString& title)
{
    return title.isEmpty() ? layout.name : QStringLiteral("%1 - %2").arg(title, layout.name);
}

}  // namespace

TReportOutput::TReportOutput()
    : RunPreview([](QPrintPreviewDialog& dialog) { dialog.exec(); }),
      RunPrintDialog([](QPrintDialog& dialog) { return dialog.exec() == QDialog::Accepted; }),
      RunLabelPrinterDialog([](TLabelPrinterDialog& dialog) { return dialog.exec() == QDialog::Accepted; }),
      OpenUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); })
{
}

void TReportOutput::Preview(const TReportLayout& layout, TClientDataSet& data, QWidget* parent,
                            const QString& title) const
{
    const TLabelSheetReport report(layout);
    const QList<TLabelContent> labels = report.ReadLabels(data);

    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(DocumentName(layout, title));
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Visualizar impressão - %1").arg(DocumentName(layout, title)));
    // The window paints inside its own event loop: a fault is kept and raised after it closes.
    std::exception_ptr failure;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        if (failure)
            return;
        try {
            report.Paint(*target, labels);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    RunPreview(dialog);
    if (failure)
        std::rethrow_exception(failure);
}

bool TReportOutput::Print(const TReportLayout& layout, TClientDataSet& data, QWidget* parent, const QString& title)
{
    const TLabelSheetReport report(layout);
    const QList<TLabelContent> labels = report.ReadLabels(data);
    if (labels.isEmpty())
        return false;

    if (layout.IsLabelPrinter()) {
        const QByteArray zpl = TZplLabels::Build(layout, labels);
        TLabelPrinterDialog dialog(LabelPrinter, QPrinterInfo::availablePrinterNames(), parent);
        if (!RunLabelPrinterDialog(dialog))
            return false;
        LabelPrinter = dialog.Destination();
        SendToLabelPrinter(LabelPrinter, zpl);
        return true;
    }

    QPrinter printer(QPrinter::HighResolution);
    if (!PrinterName.isEmpty() && !QPrinterInfo::printerInfo(PrinterName).isNull())
        printer.setPrinterName(PrinterName);
    printer.setDocName(DocumentName(layout, title));
    printer.setPageLayout(QPageLayout(layout.pageSize, layout.orientation, QMarginsF(), QPageLayout::Millimeter));
    printer.setFullPage(true);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Imprimir - %1").arg(DocumentName(layout, title)));
    if (!RunPrintDialog(dialog))
        return false;
    if (printer.outputFormat() == QPrinter::NativeFormat)
        PrinterName = printer.printerName();
    report.Paint(printer, labels);
    return true;
}

QByteArray TReportOutput::Zpl(const TReportLayout& layout, TClientDataSet& data) const
{
    return TZplLabels::Build(layout, TLabelSheetReport(layout).ReadLabels(data));
}

int TReportOutput::PrintToPdf(const TReportLayout& layout, TClientDataSet& data, const QString& path,
                              const QString& title) const
{
    const TLabelSheetReport report(layout);
    const QList<TLabelContent> labels = report.ReadLabels(data);

    // The PDF writer only says "cannot begin" when its file cannot be created; ask the file
    // itself so that the message says why.
    QFile probe(path);
    if (!probe.open(QIODevice::WriteOnly))
        throw Exception(QStringLiteral("Não foi possível gravar o arquivo PDF '%1': %2.").arg(path, probe.errorString()));
    probe.close();

    QPdfWriter writer(path);
    writer.setResolution(kPdfResolution);
    writer.setTitle(DocumentName(layout, title));
    writer.setCreator(QStringLiteral("Est99000"));
    return report.Paint(writer, labels);
}

void TReportOutput::EditDefinition(const QString& path) const
{
    if (!QFileInfo(path).isFile())
        throw Exception(QStringLiteral("A definição de relatório '%1' não existe.").arg(path));
    if (!OpenUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath())))
        throw Exception(QStringLiteral("Não foi possível abrir a definição de relatório '%1' num editor.").arg(path));
}
