#include "framework/canvas.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>

TCanvas::TCanvas(QPainter* painter) : painter_(painter)
{
    Brush.Color = Qt::white;
    Font.Color = Qt::black;
}

void TCanvas::FillRect(const QRect& rect)
{
    painter_->fillRect(rect, Brush.Color);
}

void TCanvas::TextRect(const QRect& rect, int x, int y, const QString& text)
{
    painter_->save();
    painter_->setClipRect(rect);
    QFont font = painter_->font();
    font.setBold(Font.Bold || font.bold());
    painter_->setFont(font);
    painter_->setPen(Font.Color);
    const QRect area(x, y, rect.right() - x + 1, rect.bottom() - y + 1);
    painter_->drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    painter_->restore();
}

void TCanvas::Draw(int x, int y, const QImage& image)
{
    painter_->drawImage(QPoint(x, y), image);
}

void TCanvas::BrushCopy(const QRect& dest, const QImage& image, const QRect& source, const QColor& transparent)
{
    const QRect from = source.intersected(image.rect());
    if (from.isEmpty() || dest.isEmpty())
        return;
    QImage glyph = image.copy(from).convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparent.rgb() & 0x00FFFFFF;
    for (int y = 0; y < glyph.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(glyph.scanLine(y));
        for (int x = 0; x < glyph.width(); ++x) {
            if ((line[x] & 0x00FFFFFF) == key)
                line[x] = 0;
        }
    }
    painter_->save();
    painter_->setClipRect(dest);
    painter_->drawImage(dest.topLeft(), glyph);
    painter_->restore();
}

QColor TColorToQColor(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

QColor InfoBkColor()
{
    return QApplication::palette().color(QPalette::ToolTipBase);
}
