#pragma once
// Reading printed PDF files back the way a person would: poppler's tools turn the pages into
// images and text, zxing-cpp scans the images for Code 128 symbols. Failures of the tools raise
// std::runtime_error with their output.

#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>

struct TFoundBarcode {
    int page = 0;       // 1-based
    QPointF center;     // in pixels of the page image
    QString text;
};

// The pages of the PDF as PNG files in dir (pdftoppm at the resolution), in page order.
QStringList RasterizePdf(const QString& pdf, const QString& dir, int dpi);
// Every Code 128 symbol found on the page images, page by page.
QList<TFoundBarcode> DecodeBarcodes(const QStringList& pages);
// The number of pages poppler reads in the file (pdfinfo).
int PdfPageCount(const QString& pdf);
// The text of the file, in reading order (pdftotext).
QString PdfText(const QString& pdf);
