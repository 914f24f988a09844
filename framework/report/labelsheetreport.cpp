#include "labelsheetreport.h"

#include "platform/clientdataset.h"
#include "platform/errors.h"
#include "platform/recordpeek.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace {

using namespace LabelGeometry;

QFont MakeFont(const QString& family, double sizePt, bool bold)
{
    QFont font(family);
    font.setPointSizeF(sizePt);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferOutline);
    return font;
}

}  // namespace

TLabelSheetReport::TLabelSheetReport(TReportLayout layout) : layout_(std::move(layout))
{
    for (const TLabelLine& line : layout_.lines)
        lines_.append(TLabelTemplate(line.text));
}

QList<TLabelContent> TLabelSheetReport::ReadLabels(TClientDataSet& data) const
{
    if (!data.Active())
        throw Exception(QStringLiteral("Os dados do relatório não estão abertos."));
    data.CheckBrowseMode();
    for (const TLabelTemplate& line : lines_)
        line.Check(data);
    const TField* barcodeField = layout_.barcodeField.isEmpty() ? nullptr : data.FieldByName(layout_.barcodeField);

    QList<TLabelContent> labels;
    const int count = data.RecordCount();
    labels.reserve(count);
    const double innerWidthMm = layout_.labelMm.width() - 2 * layout_.paddingMm;
    for (int recNo = 1; recNo <= count; ++recNo) {
        TRecordPeek peek(&data, recNo);
        TLabelContent label;
        for (const TLabelTemplate& line : lines_)
            label.lines.append(line.Render(data));
        if (barcodeField) {
            const QString text = barcodeField->AsString();
            if (text.isEmpty())
                throw Exception(QStringLiteral("A etiqueta da linha %1 não tem código de barras.").arg(recNo));
            label.symbol.emplace(text);
            const double neededMm = (label.symbol->Modules() + 2 * TBarcodeSymbol::kQuietZoneModules) * kMinModuleMm;
            if (neededMm > innerWidthMm)
                throw Exception(QStringLiteral("O código de barras '%1' não cabe na largura da etiqueta (%2 mm).")
                                    .arg(text).arg(layout_.labelMm.width()));
        }
        labels.append(std::move(label));
    }
    return labels;
}

int TLabelSheetReport::PageCount(int labels) const
{
    const int perPage = layout_.LabelsPerPage();
    return std::max(1, (labels + perPage - 1) / perPage);
}

int TLabelSheetReport::Paint(QPagedPaintDevice& device, const QList<TLabelContent>& labels) const
{
    QPageLayout page(layout_.pageSize, layout_.orientation, QMarginsF(), QPageLayout::Millimeter);
    page.setMode(QPageLayout::FullPageMode);
    if (auto* printer = dynamic_cast<QPrinter*>(&device))
        printer->setFullPage(true);
    device.setPageLayout(page);

    QPainter painter;
    if (!painter.begin(&device))
        throw Exception(QStringLiteral("Não foi possível iniciar a impressão das etiquetas."));
    painter.setRenderHint(QPainter::Antialiasing, false);
    try {
        CheckFits(painter);
        const int perPage = layout_.LabelsPerPage();
        for (int i = 0; i < labels.size(); ++i) {
            if (i > 0 && i % perPage == 0 && !device.newPage())
                throw Exception(QStringLiteral("Não foi possível iniciar a página %1 das etiquetas.").arg(i / perPage + 1));
            const QRectF mm = layout_.LabelRectMm(i % perPage);
            PaintLabel(painter, QRectF(Mm(painter, mm.left()), Mm(painter, mm.top()), Mm(painter, mm.width()),
                                       Mm(painter, mm.height())),
                       labels.at(i));
        }
    } catch (...) {
        painter.end();
        throw;
    }
    painter.end();
    return PageCount(int(labels.size()));
}

double TLabelSheetReport::Mm(const QPainter& painter, double mm) const
{
    return mm * painter.device()->logicalDpiY() / 25.4;
}

double TLabelSheetReport::LinesHeight(QPainter& painter) const
{
    double height = 0;
    for (const TLabelLine& line : layout_.lines) {
        const QFont font = MakeFont(layout_.fontFamily, line.sizePt > 0 ? line.sizePt : layout_.fontSizePt, line.bold);
        height += QFontMetricsF(font, painter.device()).lineSpacing();
    }
    return height;
}

double TLabelSheetReport::BarcodeBlockHeight(QPainter& painter) const
{
    if (layout_.barcodeField.isEmpty())
        return 0;
    double height = Mm(painter, kBarsGapMm + layout_.barcodeHeightMm);
    if (layout_.barcodeText) {
        const QFont font = MakeFont(layout_.fontFamily, layout_.barcodeTextSizePt, false);
        height += Mm(painter, kBarsTextGapMm) + QFontMetricsF(font, painter.device()).height();
    }
    return height;
}

void TLabelSheetReport::CheckFits(QPainter& painter) const
{
    const double inner = Mm(painter, layout_.labelMm.height() - 2 * layout_.paddingMm);
    if (LinesHeight(painter) + BarcodeBlockHeight(painter) <= inner)
        return;
    throw Exception(QStringLiteral("As linhas e o código de barras do layout '%1' não cabem numa etiqueta de %2 mm "
                                   "de altura.")
                        .arg(layout_.name)
                        .arg(layout_.labelMm.height()));
}

void TLabelSheetReport::PaintLabel(QPainter& painter, const QRectF& rect, const TLabelContent& label) const
{
    if (layout_.border) {
        painter.save();
        painter.setPen(QPen(QColor(170, 170, 170), Mm(painter, 0.2)));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect);
        painter.restore();
    }
    const double pad = Mm(painter, layout_.paddingMm);
    const QRectF inner = rect.adjusted(pad, pad, -pad, -pad);

    painter.setPen(Qt::black);
    double y = inner.top();
    for (int i = 0; i < layout_.lines.size() && i < label.lines.size(); ++i) {
        const TLabelLine& line = layout_.lines.at(i);
        const double sizePt = line.sizePt > 0 ? line.sizePt : layout_.fontSizePt;
        QFont font = MakeFont(layout_.fontFamily, sizePt, line.bold);
        const double lineHeight = QFontMetricsF(font, painter.device()).lineSpacing();
        QString text = label.lines.at(i);
        const double advance = QFontMetricsF(font, painter.device()).horizontalAdvance(text);
        if (advance > inner.width()) {
            font.setPointSizeF(sizePt * std::max(kMinShrink, inner.width() / advance * 0.98));
            text = QFontMetricsF(font, painter.device()).elidedText(text, Qt::ElideRight, inner.width());
        }
        painter.setFont(font);
        painter.drawText(QRectF(inner.left(), y, inner.width(), lineHeight),
                         int(line.align | Qt::AlignVCenter | Qt::TextSingleLine), text);
        y += lineHeight;
    }

    if (!label.symbol)
        return;
    const double barsTop = inner.bottom() - BarcodeBlockHeight(painter) + Mm(painter, kBarsGapMm);
    const double barsHeight = Mm(painter, layout_.barcodeHeightMm);
    const QRectF bars = label.symbol->Paint(painter, QRectF(inner.left(), barsTop, inner.width(), barsHeight),
                                            barsHeight, Mm(painter, layout_.maxModuleMm));
    if (bars.isEmpty())
        throw Exception(QStringLiteral("A resolução da impressora não basta para o código de barras '%1'.")
                            .arg(label.symbol->Text()));
    if (!layout_.barcodeText)
        return;
    const QFont font = MakeFont(layout_.fontFamily, layout_.barcodeTextSizePt, false);
    painter.setFont(font);
    const double textTop = barsTop + barsHeight + Mm(painter, kBarsTextGapMm);
    painter.drawText(QRectF(inner.left(), textTop, inner.width(), QFontMetricsF(font, painter.device()).height()),
                     int(Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine), label.symbol->Text());
}
