#include "barcodesymbol.h"

#include "platform/errors.h"

#include <QPainter>

#include <zint.h>

#include <cmath>
#include <memory>

namespace {

struct TZintDeleter {
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};

[[noreturn]] void Fail(const QString& text, const QString& reason)
{
    throw Exception(QStringLiteral("O código de barras '%1' não pode ser impresso: %2.").arg(text, reason));
}

}  // namespace

TBarcodeSymbol::TBarcodeSymbol(const QString& text) : text_(text)
{
    if (text.isEmpty())
        Fail(text, QStringLiteral("o texto está vazio"));
    std::unique_ptr<zint_symbol, TZintDeleter> symbol(ZBarcode_Create());
    if (!symbol)
        Fail(text, QStringLiteral("sem memória"));
    symbol->symbology = BARCODE_CODE128;
    symbol->input_mode = UNICODE_MODE;  // UTF-8 in, Latin-1 in the symbol
    symbol->show_hrt = 0;               // the label draws the text itself, in its own font
    symbol->output_options |= BARCODE_NO_QUIET_ZONES;

    const QByteArray data = text.toUtf8();
    const int status = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(data.constData()),
                                       int(data.size()));
    if (status >= ZINT_ERROR)
        Fail(text, QString::fromLatin1(symbol->errtxt));
    if (ZBarcode_Buffer_Vector(symbol.get(), 0) >= ZINT_ERROR || !symbol->vector || symbol->width <= 0)
        Fail(text, QString::fromLatin1(symbol->errtxt));

    // The vector output is scaled by zint; its width spans symbol->width modules exactly.
    const double unitsPerModule = symbol->vector->width / symbol->width;
    for (const zint_vector_rect* rect = symbol->vector->rectangles; rect; rect = rect->next)
        bars_.append({rect->x / unitsPerModule, rect->width / unitsPerModule});
    modules_ = symbol->width;
}

QRectF TBarcodeSymbol::Paint(QPainter& painter, const QRectF& area, double barHeight, double maxModule) const
{
    double module = std::min(maxModule, area.width() / (modules_ + 2 * kQuietZoneModules));
    if (module >= 2)
        module = std::floor(module);
    if (module < 1)
        return {};
    const double width = module * modules_;
    const double left = area.left() + (area.width() - width) / 2;
    const QRectF symbolRect(left, area.top(), width, barHeight);
    for (const auto& [x, barWidth] : bars_)
        painter.fillRect(QRectF(left + x * module, area.top(), barWidth * module, barHeight), Qt::black);
    return symbolRect;
}
