#pragma once
// TCanvas: the drawing surface a grid hands to its cell-drawing handler, in the platform's
// terms: a brush colour (fills), a font colour (text), FillRect, TextRect (text at an offset
// inside a rectangle, clipped to it) and BrushCopy (an image copied with one colour left
// transparent, so the cell's brush shows through it). It paints on the grid while the handler
// runs and is not kept afterwards.
//
// TColorToQColor reads a colour written as the platform's $BBGGRR value ($0000FF is red,
// $008000 green, $008080 olive); InfoBkColor is the tool-tip background (the grids' clInfoBk).

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

class QPainter;

class TCanvas {
public:
    explicit TCanvas(QPainter* painter);

    struct TBrush {
        QColor Color;
    } Brush;
    struct TFontStyle {
        QColor Color;
        bool Bold = false;
    } Font;

    void FillRect(const QRect& rect);
    void TextRect(const QRect& rect, int x, int y, const QString& text);
    void Draw(int x, int y, const QImage& image);
    // Copies source (clipped to the image) to the top-left of dest, clipped to dest, leaving the
    // pixels of the transparent colour undrawn.
    void BrushCopy(const QRect& dest, const QImage& image, const QRect& source, const QColor& transparent);

    QPainter* Painter() const { return painter_; }

private:
    QPainter* painter_;
};

QColor TColorToQColor(quint32 bgr);
QColor InfoBkColor();
