// The query screen's wiring: each control and record-set event runs the screen's handler of the
// same name, and the grids get the look the clerks know (tool-tip background, whole-row
// selection, the mark column's tick title).

#include "screens/Cli_est99000/cli_est99000.h"

#include "framework/canvas.h"

#include <QFontDatabase>

namespace {

constexpr const char* kTickFont = "Marlett";

// The mark column's title: the letter "a" in the symbol font that draws it as a tick, or a tick
// character where that font is not installed.
void TickTitle(TColumn* column)
{
    const bool symbolFont = QFontDatabase::families().contains(QLatin1String(kTickFont));
    QFont font = symbolFont ? QFont(QString::fromLatin1(kTickFont)) : QFont();
    font.setPixelSize(13);
    font.setBold(true);
    column->Title = symbolFont ? QStringLiteral("a") : QString(QChar(0x2713));
    column->SetTitleFont(font);
}

void ShowLikeInfoList(TDBGrid* grid, bool alwaysShowSelection)
{
    TDBGridOptions options = grid->Options();
    options.RowSelect = true;
    options.AlwaysShowSelection = alwaysShowSelection;
    grid->SetOptions(options);
    grid->SetColor(InfoBkColor());
    grid->ReadOnly = true;
}

} // namespace

void TfrmConsDesEtiq::BindHandlers()
{
    rdbFilialTodos->OnClick = [this](QObject* s) { rdbFilialTodosClick(s); };
    rdbListaFilial->OnClick = [this](QObject* s) { rdbListaFilialClick(s); };
    rdbFornTodos->OnClick = [this](QObject* s) { rdbFornTodosClick(s); };
    rdbListaForn->OnClick = [this](QObject* s) { rdbListaFornClick(s); };
    btnPesqFilial->OnClick = [this](QObject* s) { btnPesqFilialClick(s); };
    btnPesqForn->OnClick = [this](QObject* s) { btnPesqFornClick(s); };
    depDtIniEmiss->OnExit = [this](QObject* s) { depDtIniEmissExit(s); };
    depDtFinEmiss->OnExit = [this](QObject* s) { depDtFinEmissExit(s); };
    panFiltro->OnEnter = [this](QObject* s) { panFiltroEnter(s); };
    panFiltro->OnExit = [this](QObject* s) { panFiltroExit(s); };
    pgcPadrao->OnEnter = [this](QObject* s) { pgcPadraoEnter(s); };
    tshFormulario->OnEnter = [this](QObject* s) { tshFormularioEnter(s); };
    edtCdBarProd->OnKeyDown = [this](QObject* s, int& key, TShiftState shift) { edtCdBarProdKeyDown(s, key, shift); };
    btnDesmembrar->OnClick = [this](QObject* s) { btnDesmembrarClick(s); };
    btnAgrupar->OnClick = [this](QObject* s) { btnAgruparClick(s); };

    qryFornecedor->FieldByName(QStringLiteral("NRINSJURFORN"))->OnGetText =
        [this](TField* f, QString& text, bool display) { qryFornecedorNRINSJURFORNGetText(f, text, display); };
    cdsNotaFiscal->FieldByName(QStringLiteral("NRINSJURNF"))->OnGetText =
        [this](TField* f, QString& text, bool display) { cdsNotaFiscalNRINSJURNFGetText(f, text, display); };
    for (TClientDataSet* set : {cdsEtiqueta, cdsAuxEtiqueta})
        set->FieldByName(QStringLiteral("IDSTATUSETIQ"))->OnGetText =
            [this](TField* f, QString& text, bool display) { cdsEtiquetaIDSTATUSETIQGetText(f, text, display); };
    cdsNotaFiscal->AfterScroll = [this](TClientDataSet* set) { cdsNotaFiscalAfterScroll(set); };
    cdsProdEtiq->AfterScroll = [this](TClientDataSet* set) { cdsProdEtiqAfterScroll(set); };
    dtsEtiqueta->OnStateChange = [this](TDataSource* s) { dtsEtiquetaStateChange(s); };

    dbgPadrao->OnDblClick = [this](QObject* s) { dbgPadraoDblClick(s); };
    dbgPadrao->OnKeyDown = [this](QObject* s, int& key, TShiftState shift) { dbgPadraoKeyDown(s, key, shift); };
    ShowLikeInfoList(dbgItemProduto, true);
    dbgItemProduto->OnKeyDown = [this](QObject* s, int& key, TShiftState shift) { dbgItemProdutoKeyDown(s, key, shift); };
    ShowLikeInfoList(dbgEtiquetaGerada, false);
    for (TColumn* column : dbgEtiquetaGerada->Columns()) {
        if (column->FieldName == QLatin1String("IDCHECK")) {
            TickTitle(column);
            continue;
        }
        QFont title(QStringLiteral("MS Sans Serif"));
        title.setPixelSize(11);
        column->SetTitleFont(title);
    }
    dbgEtiquetaGerada->OnDrawColumnCell = [this](QObject* s, const QRect& r, int col, TColumn* c, TGridDrawState st) {
        dbgEtiquetaGeradaDrawColumnCell(s, r, col, c, st);
    };
    dbgEtiquetaGerada->OnDblClick = [this](QObject* s) { dbgEtiquetaGeradaDblClick(s); };
    dbgEtiquetaGerada->OnKeyDown = [this](QObject* s, int& key, TShiftState shift) {
        dbgEtiquetaGeradaKeyDown(s, key, shift);
    };
    dbgEtiquetaGerada->OnKeyPress = [this](QObject* s, QChar& key) { dbgEtiquetaGeradaKeyPress(s, key); };
}

void TfrmConsDesEtiq::FocaMarcaDaEtiqueta()
{
    dbgEtiquetaGerada->setFocus();
    const int row = cdsEtiqueta->RecNo() - 1;
    TColumn* mark = dbgEtiquetaGerada->ColumnByField(QStringLiteral("IDCHECK"));
    if (row < 0 || !mark)
        return;
    dbgEtiquetaGerada->setCurrentIndex(dbgEtiquetaGerada->model()->index(row, mark->Index()));
}
