#include "reportlayout.h"

#include "labeltemplate.h"
#include "platform/errors.h"

#include <QJsonArray>
#include <QJsonValue>

#include <cmath>

namespace {

// Lengths that differ by less than this are equal: definitions are written in tenths of a
// millimetre and the sums below must not fail on rounding.
constexpr double kToleranceMm = 0.01;

// Reads the values of one JSON object of a layout, raising Exception with the layout's name and
// the key at fault.
class TLayoutReader {
public:
    TLayoutReader(const QJsonObject& json, const QString& where) : json_(json), where_(where) {}

    [[noreturn]] void Fail(const QString& detail) const
    {
        throw Exception(QStringLiteral("A definição de relatório %1 é inválida: %2.").arg(where_, detail));
    }

    QJsonObject Object(const QJsonObject& parent, const QString& key) const
    {
        const QJsonValue value = parent.value(key);
        if (value.isUndefined())
            return {};
        if (!value.isObject())
            Fail(QStringLiteral("'%1' deve ser um objeto").arg(key));
        return value.toObject();
    }

    double Number(const QJsonObject& parent, const QString& key, double fallback, double minimum) const
    {
        const QJsonValue value = parent.value(key);
        if (value.isUndefined())
            return fallback;
        if (!value.isDouble() || !std::isfinite(value.toDouble()) || value.toDouble() < minimum)
            Fail(QStringLiteral("'%1' deve ser um número não menor que %2").arg(key).arg(minimum));
        return value.toDouble();
    }

    double Positive(const QJsonObject& parent, const QString& key, double fallback) const
    {
        const double value = Number(parent, key, fallback, 0);
        if (value <= 0)
            Fail(QStringLiteral("'%1' deve ser maior que zero").arg(key));
        return value;
    }

    int Count(const QJsonObject& parent, const QString& key, int fallback) const
    {
        const double value = Number(parent, key, fallback, 1);
        if (value != std::floor(value) || value > 1000)
            Fail(QStringLiteral("'%1' deve ser um número inteiro entre 1 e 1000").arg(key));
        return int(value);
    }

    QString Text(const QJsonObject& parent, const QString& key, const QString& fallback) const
    {
        const QJsonValue value = parent.value(key);
        if (value.isUndefined())
            return fallback;
        if (!value.isString())
            Fail(QStringLiteral("'%1' deve ser um texto").arg(key));
        return value.toString();
    }

    bool Flag(const QJsonObject& parent, const QString& key, bool fallback) const
    {
        const QJsonValue value = parent.value(key);
        if (value.isUndefined())
            return fallback;
        if (!value.isBool())
            Fail(QStringLiteral("'%1' deve ser true ou false").arg(key));
        return value.toBool();
    }

    const QJsonObject& Root() const { return json_; }

private:
    QJsonObject json_;
    QString where_;
};

QPageSize NamedPageSize(const TLayoutReader& reader, const QString& name)
{
    static const QList<QPair<QString, QPageSize::PageSizeId>> sizes = {
        {QStringLiteral("A3"), QPageSize::A3},         {QStringLiteral("A4"), QPageSize::A4},
        {QStringLiteral("A5"), QPageSize::A5},         {QStringLiteral("A6"), QPageSize::A6},
        {QStringLiteral("Letter"), QPageSize::Letter}, {QStringLiteral("Legal"), QPageSize::Legal},
    };
    for (const auto& [known, id] : sizes)
        if (known.compare(name, Qt::CaseInsensitive) == 0)
            return QPageSize(id);
    reader.Fail(QStringLiteral("tamanho de página '%1' desconhecido (use A3, A4, A5, A6, Letter, Legal ou "
                               "widthMm e heightMm)").arg(name));
}

void ReadPage(const TLayoutReader& reader, TReportLayout& layout)
{
    const QJsonObject page = reader.Object(reader.Root(), QStringLiteral("page"));
    if (page.contains(QStringLiteral("widthMm")) || page.contains(QStringLiteral("heightMm"))) {
        const QSizeF size(reader.Positive(page, QStringLiteral("widthMm"), 0),
                          reader.Positive(page, QStringLiteral("heightMm"), 0));
        layout.pageSize = QPageSize(size, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    } else {
        layout.pageSize = NamedPageSize(reader, reader.Text(page, QStringLiteral("size"), QStringLiteral("A4")));
    }

    const QString orientation = reader.Text(page, QStringLiteral("orientation"), QStringLiteral("portrait"));
    if (orientation == QLatin1String("landscape"))
        layout.orientation = QPageLayout::Landscape;
    else if (orientation != QLatin1String("portrait"))
        reader.Fail(QStringLiteral("'orientation' deve ser \"portrait\" ou \"landscape\""));

    const QJsonObject margins = reader.Object(page, QStringLiteral("marginsMm"));
    layout.marginsMm = QMarginsF(reader.Number(margins, QStringLiteral("left"), 0, 0),
                                 reader.Number(margins, QStringLiteral("top"), 0, 0),
                                 reader.Number(margins, QStringLiteral("right"), 0, 0),
                                 reader.Number(margins, QStringLiteral("bottom"), 0, 0));
}

void ReadLabelAndGrid(const TLayoutReader& reader, TReportLayout& layout)
{
    const QJsonObject label = reader.Object(reader.Root(), QStringLiteral("label"));
    layout.labelMm = QSizeF(reader.Positive(label, QStringLiteral("widthMm"), layout.labelMm.width()),
                            reader.Positive(label, QStringLiteral("heightMm"), layout.labelMm.height()));
    layout.paddingMm = reader.Number(label, QStringLiteral("paddingMm"), layout.paddingMm, 0);
    layout.border = reader.Flag(label, QStringLiteral("border"), layout.border);
    if (2 * layout.paddingMm >= std::min(layout.labelMm.width(), layout.labelMm.height()))
        reader.Fail(QStringLiteral("'paddingMm' não deixa espaço dentro da etiqueta"));

    const QJsonObject grid = reader.Object(reader.Root(), QStringLiteral("grid"));
    layout.columns = reader.Count(grid, QStringLiteral("columns"), 1);
    layout.columnGapMm = reader.Number(grid, QStringLiteral("columnGapMm"), 0, 0);
    layout.rowGapMm = reader.Number(grid, QStringLiteral("rowGapMm"), 0, 0);

    const QSizeF page = layout.PageSizeMm();
    const double usableWidth = page.width() - layout.marginsMm.left() - layout.marginsMm.right();
    const double usableHeight = page.height() - layout.marginsMm.top() - layout.marginsMm.bottom();
    const int fittingRows = int(std::floor((usableHeight + layout.rowGapMm + kToleranceMm)
                                           / (layout.labelMm.height() + layout.rowGapMm)));
    layout.rows = grid.contains(QStringLiteral("rows")) ? reader.Count(grid, QStringLiteral("rows"), 1)
                                                        : std::max(fittingRows, 1);

    const double gridWidth = layout.columns * layout.labelMm.width() + (layout.columns - 1) * layout.columnGapMm;
    const double gridHeight = layout.rows * layout.labelMm.height() + (layout.rows - 1) * layout.rowGapMm;
    if (gridWidth > usableWidth + kToleranceMm)
        reader.Fail(QStringLiteral("%1 colunas de %2 mm não cabem entre as margens da página")
                        .arg(layout.columns).arg(layout.labelMm.width()));
    if (gridHeight > usableHeight + kToleranceMm)
        reader.Fail(QStringLiteral("%1 linhas de %2 mm não cabem entre as margens da página")
                        .arg(layout.rows).arg(layout.labelMm.height()));
}

Qt::Alignment ReadAlignment(const TLayoutReader& reader, const QJsonObject& line)
{
    const QString align = reader.Text(line, QStringLiteral("align"), QStringLiteral("left"));
    if (align == QLatin1String("left"))
        return Qt::AlignLeft;
    if (align == QLatin1String("center"))
        return Qt::AlignHCenter;
    if (align == QLatin1String("right"))
        return Qt::AlignRight;
    reader.Fail(QStringLiteral("'align' deve ser \"left\", \"center\" ou \"right\""));
}

void ReadText(const TLayoutReader& reader, TReportLayout& layout)
{
    const QJsonObject font = reader.Object(reader.Root(), QStringLiteral("font"));
    layout.fontFamily = reader.Text(font, QStringLiteral("family"), layout.fontFamily);
    layout.fontSizePt = reader.Positive(font, QStringLiteral("sizePt"), layout.fontSizePt);

    const QJsonValue lines = reader.Root().value(QStringLiteral("lines"));
    if (!lines.isUndefined() && !lines.isArray())
        reader.Fail(QStringLiteral("'lines' deve ser uma lista"));
    for (const QJsonValue& entry : lines.toArray()) {
        if (!entry.isObject())
            reader.Fail(QStringLiteral("cada item de 'lines' deve ser um objeto"));
        const QJsonObject line = entry.toObject();
        if (!line.value(QStringLiteral("text")).isString())
            reader.Fail(QStringLiteral("cada item de 'lines' precisa de 'text'"));
        TLabelLine parsed;
        parsed.text = line.value(QStringLiteral("text")).toString();
        try {
            TLabelTemplate check(parsed.text);
        } catch (const Exception& e) {
            QString reason = e.Message();
            reader.Fail(reason.endsWith(u'.') ? reason.chopped(1) : reason);
        }
        parsed.sizePt = reader.Number(line, QStringLiteral("sizePt"), 0, 0);
        parsed.bold = reader.Flag(line, QStringLiteral("bold"), false);
        parsed.align = ReadAlignment(reader, line);
        layout.lines.append(parsed);
    }
}

void ReadBarcode(const TLayoutReader& reader, TReportLayout& layout)
{
    const QJsonObject barcode = reader.Object(reader.Root(), QStringLiteral("barcode"));
    layout.barcodeField = reader.Text(barcode, QStringLiteral("field"), QString());
    layout.barcodeHeightMm = reader.Positive(barcode, QStringLiteral("heightMm"), layout.barcodeHeightMm);
    layout.maxModuleMm = reader.Positive(barcode, QStringLiteral("maxModuleMm"), layout.maxModuleMm);
    layout.barcodeText = reader.Flag(barcode, QStringLiteral("text"), layout.barcodeText);
    layout.barcodeTextSizePt = reader.Positive(barcode, QStringLiteral("textSizePt"), layout.barcodeTextSizePt);
}

void ReadLabelPrinter(const TLayoutReader& reader, TReportLayout& layout)
{
    if (!reader.Root().contains(QStringLiteral("zpl")))
        return;
    const QJsonObject zpl = reader.Object(reader.Root(), QStringLiteral("zpl"));
    const double dpi = reader.Number(zpl, QStringLiteral("dpi"), 203, 100);
    if (dpi != std::floor(dpi) || dpi > 1200)
        reader.Fail(QStringLiteral("'dpi' deve ser um número inteiro entre 100 e 1200"));
    if (layout.LabelsPerPage() != 1)
        reader.Fail(QStringLiteral("um layout de impressora de etiquetas tem uma etiqueta por página"));
    layout.zplDpi = int(dpi);
}

}  // namespace

QSizeF TReportLayout::PageSizeMm() const
{
    const QSizeF size = pageSize.size(QPageSize::Millimeter);
    return orientation == QPageLayout::Landscape ? size.transposed() : size;
}

QRectF TReportLayout::LabelRectMm(int indexOnPage) const
{
    const int row = indexOnPage / columns;
    const int column = indexOnPage % columns;
    return QRectF(marginsMm.left() + column * (labelMm.width() + columnGapMm),
                  marginsMm.top() + row * (labelMm.height() + rowGapMm), labelMm.width(), labelMm.height());
}

TReportLayout TReportLayout::FromJson(const QJsonObject& json, const QString& where)
{
    TLayoutReader reader(json, where);
    TReportLayout layout;
    layout.name = reader.Text(json, QStringLiteral("name"), QString()).trimmed();
    if (layout.name.isEmpty())
        reader.Fail(QStringLiteral("cada layout precisa de um 'name'"));
    TLayoutReader named(json, QStringLiteral("%1, layout '%2'").arg(where, layout.name));
    ReadPage(named, layout);
    ReadLabelAndGrid(named, layout);
    ReadText(named, layout);
    ReadBarcode(named, layout);
    ReadLabelPrinter(named, layout);
    return layout;
}
