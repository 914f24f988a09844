#pragma once
// A Code 128 symbol of a label's barcode text, encoded by zint (its vector output) and kept as the
// list of its bars in module units, so that it can be drawn at any size on any paint device.
// The constructor raises Exception naming the text when zint cannot encode it (an empty text, or
// characters outside Latin-1).

#include <QList>
#include <QRectF>
#include <QString>

class QPainter;

class TBarcodeSymbol {
public:
    // Quiet zone left blank on each side of the bars, in modules (the symbology's minimum).
    static constexpr int kQuietZoneModules = 10;

    explicit TBarcodeSymbol(const QString& text);

    QString Text() const { return text_; }
    // Width of the bars from the first to the last, in modules.
    double Modules() const { return modules_; }
    // Each bar as (left edge, width) in modules from the symbol's left edge.
    const QList<QPair<double, double>>& Bars() const { return bars_; }

    // Draws the bars centred in area (device units), barHeight high at the top of the area, with
    // a quiet zone on each side. The module is as wide as fits, at most maxModule, and a whole
    // number of device dots when it spans two or more so that every bar prints at the same width.
    // Returns the rectangle the bars cover; an empty rectangle when the area is too narrow to keep
    // at least one device dot per module.
    QRectF Paint(QPainter& painter, const QRectF& area, double barHeight, double maxModule) const;

private:
    QString text_;
    double modules_ = 0;
    QList<QPair<double, double>> bars_;
};
