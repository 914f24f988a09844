// The query screen's label grid: status colours and texts, the mark glyphs, and marking and
// unmarking labels by double-click or Space.

#include "screens/Cli_est99000/cli_est99000.h"

#include "framework/canvas.h"
#include "framework/routines.h"
#include "labels/labelcodes.h"
#include "package/pkg_est99000.h"
#include "platform/sysutils.h"

#include <QPainter>

namespace {

constexpr int kGlyphSize = 16;
constexpr int kBoxLeft = 3;
constexpr int kBoxTop = 3;
constexpr int kBoxSize = 10;

constexpr quint32 kInativaColor = 0x0000FF;   // red, as $BBGGRR
constexpr quint32 kReservadaColor = 0x008000; // green
constexpr quint32 kOliveColor = 0x008080;     // olive: the glyphs' transparent colour

// A 16 x 16 glyph: olive all round, a 10 x 10 box whose top and left edges are black and whose
// inside has the given colour.
QImage BoxGlyph(const QColor& inside)
{
    QImage glyph(kGlyphSize, kGlyphSize, QImage::Format_RGB32);
    glyph.fill(TColorToQColor(kOliveColor));
    QPainter painter(&glyph);
    painter.fillRect(kBoxLeft, kBoxTop, kBoxSize, kBoxSize, inside);
    painter.fillRect(kBoxLeft, kBoxTop, kBoxSize, 1, Qt::black);
    painter.fillRect(kBoxLeft, kBoxTop, 1, kBoxSize, Qt::black);
    return glyph;
}

// The tick inside the box: a short stroke down to the right, then a long one up to the right,
// each three pixels high.
void DrawTick(QImage& glyph)
{
    const struct {
        int x, top;
    } strokes[] = {{5, 7}, {6, 8}, {7, 9}, {8, 8}, {9, 7}, {10, 6}, {11, 5}};
    for (const auto& s : strokes) {
        for (int y = s.top; y < s.top + 3; ++y)
            glyph.setPixelColor(s.x, y, Qt::black);
    }
}

QString Text(const TClientDataSet* set, const char* field)
{
    return set->FieldByName(QLatin1String(field))->AsString();
}

} // namespace

QColor TfrmConsDesEtiq::GlyphTransparentColor()
{
    return TColorToQColor(kOliveColor);
}

void TfrmConsDesEtiq::BuildGlyphs()
{
    imgUncheck = BoxGlyph(Qt::white);
    imgCheck = BoxGlyph(Qt::white);
    DrawTick(imgCheck);
    imgDescheck = BoxGlyph(QColor(192, 192, 192));
}

const QImage& TfrmConsDesEtiq::GlyphFor(const QString& mark, const QString& status) const
{
    const bool ativa = status == QLatin1String(kStatusAtiva);
    if (ativa && mark == QLatin1String(kDesmarcada))
        return imgUncheck;
    if (ativa && mark == QLatin1String(kMarcada))
        return imgCheck;
    return imgDescheck;
}

void TfrmConsDesEtiq::dbgEtiquetaGeradaDrawColumnCell(QObject*, const QRect& rect, int, TColumn* column,
                                                      TGridDrawState)
{
    TCanvas* canvas = dbgEtiquetaGerada->Canvas();
    const QString status = Text(cdsEtiqueta, "IDSTATUSETIQ");
    if (status.startsWith(QLatin1String(kStatusInativa)))
        canvas->Font.Color = TColorToQColor(kInativaColor);
    else if (status.startsWith(QLatin1String(kStatusReservada)))
        canvas->Font.Color = TColorToQColor(kReservadaColor);
    TField* field = column ? column->Field() : nullptr;
    canvas->FillRect(rect);
    if (field)
        canvas->TextRect(rect, rect.left() + 2, rect.top() + 2, field->DisplayText());
    if (!field || field->FieldName() != QLatin1String("IDCHECK"))
        return;
    const QImage& glyph = GlyphFor(field->AsString(), status);
    canvas->FillRect(rect);
    const int offset = int(rect.width() / 2.0 - glyph.width() / 2.0);
    canvas->BrushCopy(QRect(rect.left() + offset, rect.top(), glyph.width(), rect.height()), glyph,
                      QRect(0, 0, glyph.width(), rect.height()), GlyphTransparentColor());
}

void TfrmConsDesEtiq::AlternaMarca()
{
    if (Text(cdsEtiqueta, "IDSTATUSETIQ") != QLatin1String(kStatusAtiva))
        return;
    TField* mark = cdsEtiqueta->FieldByName(QStringLiteral("IDCHECK"));
    cdsEtiqueta->Edit();
    if (mark->AsString() != QLatin1String(kMarcada)) {
        const QString order = Text(cdsEtiqueta, "NRPEDEXOL");
        if (!EmptyString(order)) {
            // The label stays as it was, not left half-edited behind the message.
            cdsEtiqueta->Cancel();
            MensErro(FillPlaceholders(msgPadrao.Msg(QStringLiteral("Exist_Pedido")), {order}), true);
        }
        mark->SetAsString(QLatin1String(kMarcada));
        ++inEtiqMark;
    } else {
        mark->SetAsString(QLatin1String(kDesmarcada));
        --inEtiqMark;
    }
    cdsEtiqueta->Post();
}

void TfrmConsDesEtiq::dbgEtiquetaGeradaDblClick(QObject*)
{
    AlternaMarca();
}

void TfrmConsDesEtiq::dbgEtiquetaGeradaKeyDown(QObject*, int& key, TShiftState)
{
    if (key == VK::Delete) {
        key = 0;
        return;
    }
    if (key == VK::Space)
        AlternaMarca();
}

void TfrmConsDesEtiq::dbgItemProdutoKeyDown(QObject*, int& key, TShiftState)
{
    if (key == VK::Delete)
        key = 0;
}

void TfrmConsDesEtiq::cdsEtiquetaIDSTATUSETIQGetText(TField* sender, QString& text, bool)
{
    text = StatusEtiquetaText(sender->AsString());
}
