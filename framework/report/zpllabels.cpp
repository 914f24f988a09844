#include "zpllabels.h"

#include "platform/errors.h"

#include <QFont>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace {

using namespace LabelGeometry;

// Line height for a font height: the scalable font's own line spacing is about this.
constexpr double kLineSpacing = 1.2;

class TDots {
public:
    explicit TDots(int dpi) : dpi_(dpi) {}
    int Mm(double mm) const { return int(std::lround(mm * dpi_ / 25.4)); }
    int Pt(double pt) const { return std::max(1, int(std::lround(pt * dpi_ / 72.0))); }

private:
    int dpi_;
};

// Field data under ^FH: the escape character itself, the command prefixes and anything outside
// printable text as _XX, so that no data can end the field or start a command.
QByteArray Escaped(const QString& text)
{
    QByteArray out;
    for (const char byte : text.toUtf8()) {
        const auto c = static_cast<unsigned char>(byte);
        if (c < 0x20 || c == 0x7f)
            out += ' ';
        else if (c == '_' || c == '^' || c == '~')
            out += '_' + QByteArray::number(c, 16).toUpper();
        else
            out += byte;
    }
    return out;
}

QString Unescaped(const QByteArray& data)
{
    QByteArray out;
    for (qsizetype i = 0; i < data.size(); ++i) {
        bool ok = false;
        if (data[i] == '_' && i + 2 < data.size()) {
            const int value = data.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out += char(value);
                i += 2;
                continue;
            }
        }
        out += data[i];
    }
    return QString::fromUtf8(out);
}

char Justification(Qt::Alignment align)
{
    if (align & Qt::AlignHCenter)
        return 'C';
    if (align & Qt::AlignRight)
        return 'R';
    return 'L';
}

// The line as it fits the width: the height shrunk when the text is wider, then cut. The width
// is measured in the layout's font, wider than the printer's condensed one, so it errs on the
// safe side.
QString Fitted(const QString& family, const QString& text, int width, int& height)
{
    QFont font(family);
    font.setPixelSize(height);
    const double advance = QFontMetricsF(font).horizontalAdvance(text);
    if (advance <= width)
        return text;
    height = std::max(1, int(height * std::max(kMinShrink, width / advance * 0.98)));
    font.setPixelSize(height);
    return QFontMetricsF(font).elidedText(text, Qt::ElideRight, width);
}

QByteArray TextField(int x, int y, int width, int height, char justify, const QString& text)
{
    return QStringLiteral("^FO%1,%2^A0N,%3,0^FB%4,1,0,%5^FH").arg(x).arg(y).arg(height).arg(width).arg(QChar(justify)).toLatin1()
           + "^FD" + Escaped(text) + "^FS\n";
}

}  // namespace

QByteArray TZplLabels::Build(const TReportLayout& layout, const QList<TLabelContent>& labels)
{
    if (!layout.IsLabelPrinter())
        throw Exception(QStringLiteral("O layout '%1' não é de impressora de etiquetas.").arg(layout.name));
    const TDots dots(layout.zplDpi);
    const int width = dots.Mm(layout.labelMm.width());
    const int height = dots.Mm(layout.labelMm.height());
    const int pad = dots.Mm(layout.paddingMm);
    const int innerWidth = width - 2 * pad;

    int linesHeight = 0;
    for (const TLabelLine& line : layout.lines)
        linesHeight += int(std::lround(dots.Pt(line.sizePt > 0 ? line.sizePt : layout.fontSizePt) * kLineSpacing));
    const bool bars = !layout.barcodeField.isEmpty();
    const int barsHeight = bars ? dots.Mm(layout.barcodeHeightMm) : 0;
    const int barsTextHeight = bars && layout.barcodeText ? dots.Pt(layout.barcodeTextSizePt) : 0;
    const int barsBlock = bars ? dots.Mm(kBarsGapMm) + barsHeight + (barsTextHeight ? dots.Mm(kBarsTextGapMm) + barsTextHeight : 0) : 0;
    if (linesHeight + barsBlock > height - 2 * pad)
        throw Exception(QStringLiteral("As linhas e o código de barras do layout '%1' não cabem numa etiqueta de %2 mm "
                                       "de altura.")
                            .arg(layout.name)
                            .arg(layout.labelMm.height()));
    const int barsTop = height - pad - barsBlock + (bars ? dots.Mm(kBarsGapMm) : 0);
    const int maxModule = std::max(1, int(std::floor(layout.maxModuleMm * layout.zplDpi / 25.4)));
    const int minModule = int(std::ceil(kMinModuleMm * layout.zplDpi / 25.4));

    QByteArray zpl;
    for (const TLabelContent& label : labels) {
        zpl += QStringLiteral("^XA\n^CI28\n^PW%1\n^LL%2\n^LH0,0\n").arg(width).arg(height).toLatin1();
        int y = pad;
        for (int i = 0; i < layout.lines.size() && i < label.lines.size(); ++i) {
            const TLabelLine& line = layout.lines.at(i);
            const int lineHeight = dots.Pt(line.sizePt > 0 ? line.sizePt : layout.fontSizePt);
            int fontHeight = lineHeight;
            const QString text = Fitted(layout.fontFamily, label.lines.at(i), innerWidth, fontHeight);
            zpl += TextField(pad, y + (lineHeight - fontHeight), innerWidth, fontHeight, Justification(line.align), text);
            y += int(std::lround(lineHeight * kLineSpacing));
        }
        if (label.symbol) {
            const double modules = label.symbol->Modules() + 2 * TBarcodeSymbol::kQuietZoneModules;
            const int module = std::min(maxModule, int(std::floor(innerWidth / modules)));
            if (module < minModule)
                throw Exception(QStringLiteral("O código de barras '%1' não cabe na largura da etiqueta (%2 mm).")
                                    .arg(label.symbol->Text())
                                    .arg(layout.labelMm.width()));
            const int barsLeft = pad + int((innerWidth - label.symbol->Modules() * module) / 2);
            zpl += QStringLiteral("^FO%1,%2^BY%3^BCN,%4,N,N,N,A^FH").arg(barsLeft).arg(barsTop).arg(module).arg(barsHeight).toLatin1()
                   + "^FD" + Escaped(label.symbol->Text()) + "^FS\n";
            if (barsTextHeight)
                zpl += TextField(pad, barsTop + barsHeight + dots.Mm(kBarsTextGapMm), innerWidth, barsTextHeight, 'C',
                                 label.symbol->Text());
        }
        zpl += "^PQ1\n^XZ\n";
    }
    return zpl;
}

QList<TZplLabels::TFormat> TZplLabels::Parse(const QByteArray& zpl)
{
    const auto fail = [](const QString& why) { throw Exception(QStringLiteral("ZPL inválido: %1.").arg(why)); };
    QList<TFormat> formats;
    TFormat* open = nullptr;
    bool escaped = false;
    bool barcode = false;
    qsizetype at = 0;
    while (at < zpl.size()) {
        const char c = zpl.at(at);
        if (c != '^' && c != '~') {
            if (!open && !QChar::isSpace(uchar(c)))
                fail(QStringLiteral("texto fora de um formato na posição %1").arg(at));
            ++at;
            continue;
        }
        const QByteArray command = zpl.mid(at + 1, 2).toUpper();
        if (command == "XA") {
            if (open)
                fail(QStringLiteral("^XA na posição %1 antes do ^XZ do formato anterior").arg(at));
            formats.append(TFormat());
            open = &formats.last();
        } else if (!open) {
            fail(QStringLiteral("comando ^%1 fora de um formato na posição %2").arg(QString::fromLatin1(command)).arg(at));
        } else if (command == "XZ") {
            open = nullptr;
        } else if (command == "CI") {
            open->utf8 = zpl.mid(at + 3, 2) == "28" && open->texts.isEmpty() && open->barcodes.isEmpty();
        } else if (command == "FH") {
            escaped = true;
        } else if (command == "BC") {
            barcode = true;
        } else if (command == "FD") {
            // The printer reads a caret or a tilde in field data as a command: the data runs to
            // the next one, which must close the field.
            qsizetype end = at + 3;
            while (end < zpl.size() && zpl.at(end) != '^' && zpl.at(end) != '~')
                ++end;
            if (zpl.mid(end, 3).toUpper() != "^FS")
                fail(QStringLiteral("campo da posição %1 não termina com ^FS").arg(at));
            const QByteArray data = zpl.mid(at + 3, end - at - 3);
            const QString value = escaped ? Unescaped(data) : QString::fromUtf8(data);
            (barcode ? open->barcodes : open->texts).append(value);
            escaped = barcode = false;
            at = end + 3;
            continue;
        }
        at += 3;
    }
    if (open)
        fail(QStringLiteral("o último formato não termina com ^XZ"));
    return formats;
}
