#include "screens/Cli_est99010/cli_est99010.h"

#include "framework/canvas.h"
#include "framework/procura.h"
#include "framework/uiservices.h"
#include "labels/gridcolumns.h"
#include "labels/labelcodes.h"
#include "labels/messagetables.h"
#include "labels/printablelabels.h"
#include "labels/recordsets.h"
#include "package/pkg_est99000.h"
#include "platform/controlspause.h"
#include "platform/errors.h"
#include "screens/Cli_est99000/cli_est99000.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include <cmath>

namespace {

const QString kMarked = QLatin1String(kMarcada);
const QString kUnmarked = QLatin1String(kDesmarcada);
const QString kMark = QStringLiteral("IDCHECK");
const QString kBarcode = QStringLiteral("CDCODBARRAETIQ");
const QString kItemSeq = QStringLiteral("NRSEQITPROD");
constexpr int kLabelGridHeight = 181;
constexpr const char* kLabelOrder = "VRPESOETIQ;CDCODBARRAETIQ";
const QString kNothingMarked = QStringLiteral("Nenhuma etiqueta está marcada para impressão.");

QString MarkOf(TClientDataSet* set)
{
    return set->FieldByName(kMark)->AsString();
}

void SetMark(TClientDataSet* set, const QString& mark)
{
    set->FieldByName(kMark)->SetAsString(mark);
}

// Walks the set from its first row and sets the marks to "U": every mark other than "U", or
// only the "C" ones. Each change is posted as the walk moves on, the last one at the end.
void ResetMarks(TClientDataSet* set, bool markedOnly)
{
    for (set->First(); !set->Eof(); set->Next()) {
        const QString mark = MarkOf(set);
        if (mark == kUnmarked || (markedOnly && mark != kMarked))
            continue;
        set->Edit();
        SetMark(set, kUnmarked);
    }
    set->CheckBrowseMode();
}

// The printable-label list limited to one item's labels, as the query screen keeps it.
void FilterToItem(TClientDataSet* labels, const QString& itemSeq)
{
    labels->SetFiltered(false);
    labels->SetFilter(ItemFilterText(itemSeq));
    labels->SetFiltered(true);
}

// The mark columns are titled with a tick: the letter "a" of the symbol font, bold, 13 pixels
// high (the column writes a tick character where that font is missing).
void SetMarkTitle(TColumn* column)
{
    QFont font{QString::fromLatin1(kMarkColumnFont)};
    font.setPixelSize(13);
    font.setBold(true);
    column->Title = QLatin1String(kMarkColumnTitle);
    column->SetTitleFont(font);
}

void AddColumns(TDBGrid* grid, const QList<TGridColumn>& columns)
{
    for (const TGridColumn& c : columns) {
        TColumn* column = grid->AddColumn(c.FieldName, c.Width, QString(), c.TitleAlignment, c.ReadOnly);
        if (c.MarkColumn)
            SetMarkTitle(column);
    }
}

// A pair of binoculars, 16 x 16 on a transparent background, in one colour.
QPixmap Binoculars(const QColor& color)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawRect(3, 2, 3, 4);    // left eyepiece
    painter.drawRect(10, 2, 3, 4);   // right eyepiece
    painter.drawRect(1, 6, 6, 8);    // left barrel
    painter.drawRect(9, 6, 6, 8);    // right barrel
    painter.drawRect(7, 7, 2, 3);    // bridge
    painter.setBrush(Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.drawRect(2, 11, 4, 2);   // the lenses' glint
    painter.drawRect(10, 11, 4, 2);
    return pixmap;
}

} // namespace

TfrmRelConsDesEtiq::TfrmRelConsDesEtiq(QWidget* owner) : TfrmDadosGerRel(owner)
{
    setObjectName(QStringLiteral("frmRelConsDesEtiq"));
    SetCaption(QStringLiteral("Consulta Etiquetas"));
    lblCodTela->setText(QStringLiteral("Est99010"));
    lblCodRel->setText(QStringLiteral("EST990"));
    msgPadrao.SetItems(MensagensRelatorio());

    cdsRelEtiquetas = new TClientDataSet(this);
    cdsRelEtiquetas->setObjectName(QStringLiteral("cdsRelEtiquetas"));
    DefineRelEtiquetasImpressao(*cdsRelEtiquetas);
    cdsRelEtiquetas->CreateDataSet();
    dtsRelEtiquetas = new TDataSource(this);
    dtsRelEtiquetas->setObjectName(QStringLiteral("dtsRelEtiquetas"));
    dtsRelEtiquetas->SetDataSet(cdsRelEtiquetas);

    BuildSearchButton();
    BuildGrids();
    SetClientSize(824, 461);
    SetFixedBorder(false);
}

TfrmRelConsDesEtiq::~TfrmRelConsDesEtiq()
{
    if (frmRelConsDesEtiq != this)
        return;
    frmRelConsDesEtiq = nullptr;
    boIdCriado = false;
}

void TfrmRelConsDesEtiq::BuildSearchButton()
{
    sbtProcurar = new TSpeedButton(panBotoes, QStringLiteral("sbtProcurar"));
    sbtProcurar->SetHint(QStringLiteral("Procurar"));
    QIcon glyph;
    glyph.addPixmap(Binoculars(Qt::black), QIcon::Normal);
    glyph.addPixmap(Binoculars(QColor(128, 128, 128)), QIcon::Disabled);
    sbtProcurar->setIcon(glyph);
    sbtProcurar->setAutoRaise(true);
    sbtProcurar->setFixedSize(22, 21);
    sbtProcurar->SetEnabled(false);
    sbtProcurar->OnClick = [this](QObject* sender) { sbtProcurarClick(sender); };
    AddBarButton(sbtProcurar);
}

void TfrmRelConsDesEtiq::BuildGrids()
{
    // Both grids show the query screen's own rows: they select whole rows and never delete one.
    TDBGridOptions options;
    options.RowSelect = true;
    options.ColumnResize = true;

    dbgItemProduto = new TDBGrid(this, QStringLiteral("dbgItemProduto"));
    options.AlwaysShowSelection = true;
    dbgItemProduto->SetOptions(options);
    dbgItemProduto->SetColor(InfoBkColor());
    dbgItemProduto->ReadOnly = true;
    AddColumns(dbgItemProduto, ProdEtiqRelatorioColumns());

    dbgEtiquetaGerada = new TDBGrid(this, QStringLiteral("dbgEtiquetaGerada"));
    options.AlwaysShowSelection = false;
    dbgEtiquetaGerada->SetOptions(options);
    dbgEtiquetaGerada->SetColor(InfoBkColor());
    dbgEtiquetaGerada->ReadOnly = true;
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    dbgEtiquetaGerada->setFont(font);
    font.setBold(true);
    dbgEtiquetaGerada->SetTitleFont(font);
    dbgEtiquetaGerada->setFixedHeight(kLabelGridHeight);
    AddColumns(dbgEtiquetaGerada, RelEtiquetasColumns());

    if (frmConsDesEtiq) {
        dbgItemProduto->SetDataSource(frmConsDesEtiq->dtsProdEtiq);
        dbgEtiquetaGerada->SetDataSource(frmConsDesEtiq->dtsRelEtiquetas);
    }

    dbgItemProduto->OnDblClick = [this](QObject* sender) { dbgItemProdutoDblClick(sender); };
    dbgEtiquetaGerada->OnDblClick = [this](QObject* sender) { dbgEtiquetaGeradaDblClick(sender); };
    dbgItemProduto->OnKeyDown = [this](QObject* sender, int& key, TShiftState shift) {
        dbgItemProdutoKeyDown(sender, key, shift);
    };
    dbgEtiquetaGerada->OnKeyDown = [this](QObject* sender, int& key, TShiftState shift) {
        dbgEtiquetaGeradaKeyDown(sender, key, shift);
    };
    dbgItemProduto->OnTitleClick = [this](TColumn* column) { dbgItemProdutoTitleClick(column); };
    dbgItemProduto->OnDrawColumnCell = [this](QObject* sender, const QRect& rect, int dataCol, TColumn* column,
                                              TGridDrawState state) {
        dbgItemProdutoDrawColumnCell(sender, rect, dataCol, column, state);
    };
    dbgEtiquetaGerada->OnDrawColumnCell = [this](QObject* sender, const QRect& rect, int dataCol,
                                                 TColumn* column, TGridDrawState state) {
        dbgEtiquetaGeradaDrawColumnCell(sender, rect, dataCol, column, state);
    };
    dbgItemProduto->OnEnter = [this](QObject* sender) { dbgItemProdutoEnter(sender); };
    dbgItemProduto->OnExit = [this](QObject* sender) { dbgItemProdutoExit(sender); };
    dbgEtiquetaGerada->OnEnter = [this](QObject* sender) { dbgEtiquetaGeradaEnter(sender); };
    dbgEtiquetaGerada->OnExit = [this](QObject* sender) { dbgEtiquetaGeradaExit(sender); };

    AddClientWidget(dbgItemProduto, 1);
    AddClientWidget(dbgEtiquetaGerada);
}

void TfrmRelConsDesEtiq::FormCreate(QObject* sender)
{
    TfrmDadosGerRel::FormCreate(sender);
    TfrmConsDesEtiq& consulta = Consulta();
    TClientDataSet* labels = consulta.cdsRelEtiquetas;
    if (labels->Active()) {
        // While the clerk marks labels here they are listed by weight and barcode, not by mark:
        // a label he marks stays where it is under the cursor instead of jumping to the top.
        ordemConsulta_ = labels->IndexName();
        labels->SetIndexFieldNames(QLatin1String(kLabelOrder));
        labels->SetFiltered(false);
        labels->First();
        {
            TControlsPause paused(labels);
            for (; !labels->Eof(); labels->Next()) {
                if (MarkOf(labels) == kMarked)
                    AddToPrintSet();
            }
            labels->SetFiltered(true);
            labels->First();
        }
    }
    consulta.cdsProdEtiqAfterScroll(nullptr);
}

void TfrmRelConsDesEtiq::FormShow(QObject* sender)
{
    TfrmDadosGerRel::FormShow(sender);
    TfrmConsDesEtiq& consulta = Consulta();
    if (consulta.cdsProdEtiq->Active())
        consulta.cdsProdEtiq->First();
    if (consulta.cdsRelEtiquetas->Active())
        consulta.cdsRelEtiquetas->First();
}

void TfrmRelConsDesEtiq::FormClose(QObject* sender, TCloseAction& action)
{
    TfrmDadosGerRel::FormClose(sender, action);
    boIdCriado = false;
    // Without the query screen there is nothing to reset there, and the screen must still close.
    if (!frmConsDesEtiq) {
        cdsRelEtiquetas->EmptyDataSet();
        return;
    }
    TClientDataSet* items = frmConsDesEtiq->cdsProdEtiq;
    if (items->Active()) {
        TControlsPause paused(items);
        ResetMarks(items, false);
        items->First();
    }
    if (frmConsDesEtiq->cdsRelEtiquetas->Active() && !ordemConsulta_.isEmpty())
        frmConsDesEtiq->cdsRelEtiquetas->SetIndexName(ordemConsulta_);
    cdsRelEtiquetas->EmptyDataSet();
    frmConsDesEtiq->cdsProdEtiqAfterScroll(items);
    frmConsDesEtiq->ControlaBotoes();
}

bool TfrmRelConsDesEtiq::NothingToPrint()
{
    if (!cdsRelEtiquetas->IsEmpty())
        return false;
    UiServices().Information(this, kNothingMarked);
    return true;
}

void TfrmRelConsDesEtiq::sbtPreviewClick(QObject* sender)
{
    if (NothingToPrint())
        return;
    TfrmDadosGerRel::sbtPreviewClick(sender);
    DesmarcaEtiq();
}

void TfrmRelConsDesEtiq::sbtPrintClick(QObject* sender)
{
    if (NothingToPrint())
        return;
    TfrmDadosGerRel::sbtPrintClick(sender);
    DesmarcaEtiq();
}

void TfrmRelConsDesEtiq::sbtProcurarClick(QObject*)
{
    TfrmConsDesEtiq& consulta = Consulta();
    QWidget* focused = ActiveControl();
    if (focused == dbgItemProduto)
        Procura(consulta.cdsProdEtiq);
    else if (focused == dbgEtiquetaGerada)
        Procura(consulta.cdsRelEtiquetas);
}

bool TfrmRelConsDesEtiq::InPrintSet(const QString& barcode)
{
    return cdsRelEtiquetas->Locate(kBarcode, {barcode}, TLocateOption::CaseInsensitive);
}

void TfrmRelConsDesEtiq::AddToPrintSet()
{
    TClientDataSet* labels = Consulta().cdsRelEtiquetas;
    if (InPrintSet(labels->FieldByName(kBarcode)->AsString()))
        return;
    AppendToPrintSet(*cdsRelEtiquetas, *labels);
}

void TfrmRelConsDesEtiq::dbgItemProdutoDblClick(QObject*)
{
    TfrmConsDesEtiq& consulta = Consulta();
    TClientDataSet* items = consulta.cdsProdEtiq;
    TClientDataSet* labels = consulta.cdsRelEtiquetas;
    // Editing an empty set would insert a blank item.
    if (!items->Active() || items->IsEmpty() || !labels->Active())
        return;
    items->Edit();
    if (MarkOf(items) == kMarked) {
        SetMark(items, kUnmarked);
        // The item's labels leave the print set unless they are marked by themselves.
        labels->First();
        while (!labels->Eof()) {
            if (MarkOf(labels) != kMarked && InPrintSet(labels->FieldByName(kBarcode)->AsString()))
                cdsRelEtiquetas->Delete();
            labels->Next();
        }
    } else {
        SetMark(items, kMarked);
        TControlsPause paused(labels);
        for (labels->First(); !labels->Eof(); labels->Next())
            AddToPrintSet();
        labels->First();
    }
    items->Post();
}

void TfrmRelConsDesEtiq::dbgEtiquetaGeradaDblClick(QObject*)
{
    TfrmConsDesEtiq& consulta = Consulta();
    TClientDataSet* labels = consulta.cdsRelEtiquetas;
    // Editing an empty list would insert a blank label.
    if (!labels->Active() || labels->IsEmpty())
        return;
    labels->Edit();
    if (MarkOf(labels) == kMarked) {
        SetMark(labels, kUnmarked);
        // A label of a marked item stays in the print set through its item.
        const bool itemMarked = consulta.cdsProdEtiq->Active() && !consulta.cdsProdEtiq->IsEmpty()
            && MarkOf(consulta.cdsProdEtiq) == kMarked;
        if (InPrintSet(labels->FieldByName(kBarcode)->AsString()) && !itemMarked)
            cdsRelEtiquetas->Delete();
    } else {
        SetMark(labels, kMarked);
        AddToPrintSet();
    }
    // The list is ordered by weight and barcode while this screen is open: the row stays put.
    labels->Post();
}

void TfrmRelConsDesEtiq::dbgItemProdutoKeyDown(QObject*, int& key, TShiftState)
{
    if (key == VK::Delete)
        key = 0;
    else if (key == VK::Space)
        dbgItemProdutoDblClick(dbgItemProduto);
}

void TfrmRelConsDesEtiq::dbgEtiquetaGeradaKeyDown(QObject*, int& key, TShiftState)
{
    if (key == VK::Delete)
        key = 0;
    else if (key == VK::Space)
        dbgEtiquetaGeradaDblClick(dbgEtiquetaGerada);
}

void TfrmRelConsDesEtiq::dbgItemProdutoTitleClick(TColumn* column)
{
    TClientDataSet* items = Consulta().cdsProdEtiq;
    if (!items->Active())
        return;
    TControlsPause paused(items);
    if (items->IsEmpty() || !column || column->FieldName != kMark)
        return;
    // A mark other than "C" counts as not marked: the command offers to mark all.
    const bool marked = MarkOf(items) == kMarked;
    if (!UiServices().Question(this, msgPadrao.Msg(marked ? kMarked : kUnmarked)))
        return;
    if (marked)
        UnmarkAllItems();
    else
        MarkAllItems();
}

void TfrmRelConsDesEtiq::MarkAllItems()
{
    TfrmConsDesEtiq& consulta = Consulta();
    TClientDataSet* items = consulta.cdsProdEtiq;
    TClientDataSet* labels = consulta.cdsRelEtiquetas;
    const int recNo = items->RecNo();
    for (items->First(); !items->Eof(); items->Next()) {
        items->Edit();
        SetMark(items, kMarked);
        items->Post();
        if (!labels->Active())
            continue;
        FilterToItem(labels, items->FieldByName(kItemSeq)->AsString());
        TControlsPause paused(labels);
        for (labels->First(); !labels->Eof(); labels->Next())
            AddToPrintSet();
        labels->First();
    }
    items->SetRecNo(recNo);
    // The label grid goes back to the current item's labels.
    if (labels->Active())
        FilterToItem(labels, items->FieldByName(kItemSeq)->AsString());
}

void TfrmRelConsDesEtiq::UnmarkAllItems()
{
    TClientDataSet* items = Consulta().cdsProdEtiq;
    const int recNo = items->RecNo();
    ResetMarks(items, false);
    // Labels marked by themselves keep their ticks, but leave the print set too.
    cdsRelEtiquetas->EmptyDataSet();
    items->SetRecNo(recNo);
}

void TfrmRelConsDesEtiq::DesmarcaEtiq()
{
    TfrmConsDesEtiq& consulta = Consulta();
    TClientDataSet* labels = consulta.cdsRelEtiquetas;
    if (labels->Active()) {
        // Without its order by mark the list keeps each row in place while the walk changes it,
        // so the walk visits every row once.
        const QString index = labels->IndexName();
        const QString fields = labels->IndexFieldNames();
        labels->SetIndexName(QString());
        labels->SetFiltered(false);
        TControlsPause paused(labels);
        ResetMarks(labels, true);
        labels->SetFiltered(true);
        if (fields.isEmpty())
            labels->SetIndexName(index);
        else
            labels->SetIndexFieldNames(fields);
    }
    TClientDataSet* items = consulta.cdsProdEtiq;
    if (items->Active()) {
        const int recNo = items->RecNo();
        TControlsPause paused(items);
        ResetMarks(items, true);
        items->SetRecNo(recNo);
    }
    cdsRelEtiquetas->EmptyDataSet();
}

void TfrmRelConsDesEtiq::dbgItemProdutoDrawColumnCell(QObject*, const QRect& rect, int, TColumn* column,
                                                      TGridDrawState)
{
    DrawMark(dbgItemProduto, rect, column);
}

void TfrmRelConsDesEtiq::dbgEtiquetaGeradaDrawColumnCell(QObject*, const QRect& rect, int, TColumn* column,
                                                         TGridDrawState)
{
    DrawMark(dbgEtiquetaGerada, rect, column);
}

void TfrmRelConsDesEtiq::DrawMark(TDBGrid* grid, const QRect& rect, TColumn* column)
{
    if (!column || column->FieldName != kMark || !column->Field() || !grid->Canvas())
        return;
    const TfrmConsDesEtiq& consulta = Consulta();
    const QString mark = column->Field()->AsString();
    const QImage glyph = mark == kUnmarked ? consulta.imgUncheck
        : mark == kMarked                  ? consulta.imgCheck
                                           : consulta.imgDescheck;
    TCanvas* canvas = grid->Canvas();
    // Wipes the letter the grid wrote; the glyph's olive background shows this brush.
    canvas->FillRect(rect);
    const int offset = int(std::trunc(rect.width() / 2.0 - glyph.width() / 2.0));
    canvas->BrushCopy(QRect(rect.left() + offset, rect.top(), glyph.width(), rect.height()), glyph,
                      QRect(0, 0, glyph.width(), rect.height()), TfrmConsDesEtiq::GlyphTransparentColor());
}

void TfrmRelConsDesEtiq::dbgItemProdutoEnter(QObject*)
{
    sbtProcurar->SetEnabled(true);
}

void TfrmRelConsDesEtiq::dbgItemProdutoExit(QObject*)
{
    sbtProcurar->SetEnabled(false);
}

void TfrmRelConsDesEtiq::dbgEtiquetaGeradaEnter(QObject*)
{
    sbtProcurar->SetEnabled(true);
}

void TfrmRelConsDesEtiq::dbgEtiquetaGeradaExit(QObject*)
{
    sbtProcurar->SetEnabled(false);
}
