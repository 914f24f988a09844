#include "pdfpages.h"

#include <QDir>
#include <algorithm>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>

// Results give their text as UTF-8.
#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>

#include <stdexcept>

namespace {

QByteArray Run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw std::runtime_error(QStringLiteral("%1 %2 failed: %3")
                                     .arg(program, arguments.join(' '), QString::fromLocal8Bit(process.readAllStandardError()))
                                     .toStdString());
    return process.readAllStandardOutput();
}

}  // namespace

QStringList RasterizePdf(const QString& pdf, const QString& dir, int dpi)
{
    const QString prefix = QDir(dir).filePath("page");
    Run("pdftoppm", {"-r", QString::number(dpi), "-png", pdf, prefix});
    QStringList pages = QDir(dir).entryList({"page-*.png"}, QDir::Files);
    // pdftoppm pads the page number to the width of the last one, so the names sort by page.
    std::sort(pages.begin(), pages.end());
    for (QString& page : pages)
        page = QDir(dir).filePath(page);
    return pages;
}

QList<TFoundBarcode> DecodeBarcodes(const QStringList& pages)
{
    QList<TFoundBarcode> found;
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::Code128);
    hints.setTryHarder(true);
    hints.setTryRotate(false);
    hints.setMaxNumberOfSymbols(255);
    for (int i = 0; i < pages.size(); ++i) {
        const QImage image = QImage(pages.at(i)).convertToFormat(QImage::Format_Grayscale8);
        if (image.isNull())
            throw std::runtime_error(("cannot read " + pages.at(i)).toStdString());
        const ZXing::ImageView view(image.constBits(), image.width(), image.height(), ZXing::ImageFormat::Lum,
                                    int(image.bytesPerLine()));
        for (const ZXing::Result& result : ZXing::ReadBarcodes(view, hints)) {
            if (!result.isValid())
                continue;
            const auto& position = result.position();
            QPointF center;
            for (int corner = 0; corner < 4; ++corner)
                center += QPointF(position[corner].x, position[corner].y) / 4.0;
            found.append({i + 1, center, QString::fromStdString(result.text())});
        }
    }
    return found;
}

int PdfPageCount(const QString& pdf)
{
    const QString info = QString::fromUtf8(Run("pdfinfo", {pdf}));
    const QRegularExpressionMatch match = QRegularExpression(R"(^Pages:\s+(\d+)\s*$)", QRegularExpression::MultilineOption).match(info);
    if (!match.hasMatch())
        throw std::runtime_error(("no page count in pdfinfo output: " + info).toStdString());
    return match.captured(1).toInt();
}

QString PdfText(const QString& pdf)
{
    return QString::fromUtf8(Run("pdftotext", {"-enc", "UTF-8", pdf, "-"}));
}
