#include "screens/Cli_est99000/cli_est99000.h"

#include "framework/morvaxa.h"
#include "framework/session.h"
#include "framework/uiservices.h"
#include "labels/consdesetiqserver.h"
#include "labels/gridcolumns.h"
#include "labels/lookupqueries.h"
#include "labels/messagetables.h"
#include "labels/recordsets.h"
#include "package/pkg_est99000.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

constexpr int kFilterHeight = 79;
constexpr int kBarcodeHeight = 35;
constexpr int kItemGridHeight = 157;

void AddColumns(TDBGrid* grid, const QList<TGridColumn>& columns)
{
    for (const TGridColumn& c : columns) {
        TColumn* column = grid->AddColumn(c.FieldName, c.Width, QString(), c.TitleAlignment, c.ReadOnly);
        if (!c.MarkColumn)
            continue;
        column->Title = QLatin1String(kMarkColumnTitle);
        column->SetTitleFont(QFont(QLatin1String(kMarkColumnFont)));
    }
}

TGroupBox* FilterGroup(QWidget* parent, const QString& caption, const QString& name)
{
    auto* group = new TGroupBox(caption, parent, name);
    group->SetBoldCaption(true);
    return group;
}

} // namespace

// The names and texts of a filter group offering "Todos" or a list chosen in the list dialog.
struct TfrmConsDesEtiq::TListOption {
    const char* caption;
    const char* group;
    const char* todos;
    const char* lista;
    const char* button;
    const char* title;
    const char* emptyError;
};

TfrmConsDesEtiq::TfrmConsDesEtiq(QWidget* owner) : TfrmPadrao(owner), progress_(this)
{
    setObjectName(QStringLiteral("frmConsDesEtiq"));
    SetCaption(QStringLiteral("Consulta/Desmembramento Etiqueta"));
    lblCodTela->setText(QStringLiteral("Est99000"));
    msgPadrao.SetItems(MensagensConsulta());

    netConsDesEtiq = new TNetConnection(this);
    netConsDesEtiq->setObjectName(QStringLiteral("netConsDesEtiq"));
    netConsDesEtiq->ServerName = QLatin1String(kConsDesEtiqServerName);
    netConsDesEtiq->ThrowException = false;
    netConsDesEtiq->BeforeConnect = [this](TNetConnection* sender) { netConsDesEtiqBeforeConnect(sender); };

    BuildRecordSets();
    BuildLookups();
    BuildCommandBar();
    BuildFilterPanel();
    BuildBarcodePanel();
    BuildPages();
    BuildGlyphs();
    BuildLabelMenu();
    BindHandlers();
    SetBounds(242, 72, 770, 638);
    SetOpensFillingArea(true);
    // The screen starts in the filter panel: the child window gives the focus to this control
    // when it first appears, not to the first grid of the page area (entering the page area
    // runs the search). That happens before the screen's show step, so the invoice list the
    // filter panel's entry empties is open from the start.
    cdsNotaFiscal->CreateDataSet();
    rdbListaFilial->setFocus();
}

TfrmConsDesEtiq::~TfrmConsDesEtiq()
{
    // A screen destroyed without closing (the client ending with it open) must not stay
    // reachable through the singleton.
    if (frmConsDesEtiq != this)
        return;
    frmConsDesEtiq = nullptr;
    bostcriado = false;
}

void TfrmConsDesEtiq::BuildRecordSets()
{
    auto named = [this](const char* name) {
        auto* set = new TClientDataSet(this);
        set->setObjectName(QLatin1String(name));
        return set;
    };
    cdsNotaFiscal = named("cdsNotaFiscal");
    DefineNotaFiscal(*cdsNotaFiscal);
    cdsProdEtiq = named("cdsProdEtiq");
    DefineProdEtiq(*cdsProdEtiq);
    cdsProdEtiqCDARVPROD = cdsProdEtiq->FieldByName(QStringLiteral("CDARVPROD"));
    cdsEtiqueta = named("cdsEtiqueta");
    DefineEtiquetaConsulta(*cdsEtiqueta);
    cdsAuxEtiqueta = named("cdsAuxEtiqueta");
    DefineAuxEtiqueta(*cdsAuxEtiqueta);
    cdsRelEtiquetas = named("cdsRelEtiquetas");
    DefineRelEtiquetas(*cdsRelEtiquetas);

    dtsPadrao->SetDataSet(cdsNotaFiscal);
    dbtNome->SetDataField(QStringLiteral("DSRODAP"));
    auto source = [this](const char* name, TClientDataSet* set) {
        auto* dataSource = new TDataSource(this);
        dataSource->setObjectName(QLatin1String(name));
        dataSource->SetDataSet(set);
        return dataSource;
    };
    dtsProdEtiq = source("dtsProdEtiq", cdsProdEtiq);
    dtsEtiqueta = source("dtsEtiqueta", cdsEtiqueta);
    dtsAuxEtiqueta = source("dtsAuxEtiqueta", cdsAuxEtiqueta);
    dtsRelEtiquetas = source("dtsRelEtiquetas", cdsRelEtiquetas);
    // Empty until the first invoice is read, but open, so that filters, look-ups and the
    // printable-label list work from the start.
    for (TClientDataSet* set : {cdsProdEtiq, cdsEtiqueta, cdsAuxEtiqueta, cdsRelEtiquetas})
        set->CreateDataSet();
}

void TfrmConsDesEtiq::BuildLookups()
{
    qryFilial = new TADOIBQuery(this);
    qryFilial->setObjectName(QStringLiteral("qryFilial"));
    qryFilial->SQL = QryFilialSql();
    DefineQryFilial(*qryFilial);
    dtsFilial = new TDataSource(this);
    dtsFilial->setObjectName(QStringLiteral("dtsFilial"));
    dtsFilial->SetDataSet(qryFilial);

    qryFornecedor = new TADOIBQuery(this);
    qryFornecedor->setObjectName(QStringLiteral("qryFornecedor"));
    qryFornecedor->SQL = QryFornecedorSql();
    DefineQryFornecedor(*qryFornecedor);
    dtsFornecedor = new TDataSource(this);
    dtsFornecedor->setObjectName(QStringLiteral("dtsFornecedor"));
    dtsFornecedor->SetDataSet(qryFornecedor);
}

void TfrmConsDesEtiq::BuildCommandBar()
{
    // The screen saves nothing through the base commands: its changes go to the server.
    sbtConfirmar->hide();
    sbtCancelar->hide();
    mniConfirmar->setVisible(false);
    mniCancelar->setVisible(false);

    auto* bar = qobject_cast<QHBoxLayout*>(panMenu->layout());
    // After the base's own buttons, before the stretch that keeps the screen code on the right.
    const int at = bar ? bar->indexOf(sbtSair) : -1;
    auto add = [&](const char* name, const char* hint, QStyle::StandardPixmap icon, int offset) {
        auto* button = new TSpeedButton(panMenu, QLatin1String(name));
        button->SetHint(QString::fromUtf8(hint));
        button->SetStandardIcon(icon);
        button->setAutoRaise(true);
        if (bar)
            bar->insertWidget(at + offset, button);
        return button;
    };
    btnDesmembrar = add("btnDesmembrar", "Desmembrar", QStyle::SP_ArrowDown, 0);
    btnAgrupar = add("btnAgrupar", "Agrupar", QStyle::SP_ArrowUp, 1);
}

void TfrmConsDesEtiq::BuildLabelMenu()
{
    QMenu* labels = mnuPadrao->addMenu(QStringLiteral("&Etiquetas"));
    mniCodBarras = labels->addAction(QStringLiteral("Código de &barras"));
    mniCodBarras->setObjectName(QStringLiteral("mniCodBarras"));
    // The scanner's field: a key of the screen's own, beside the entry in the menu.
    mniCodBarras->setShortcut(QKeySequence(Qt::Key_F2));
    mniCodBarras->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(mniCodBarras);
    connect(mniCodBarras, &QAction::triggered, this, [this] {
        edtCdBarProd->setFocus();
        edtCdBarProd->selectAll();
    });
    edtCdBarProd->setToolTip(QStringLiteral("%1 (F2)").arg(lblCdBarProd->text()));
    labels->addSeparator();
    mniAgrupar = AddButtonMenuItem(labels, QStringLiteral("mniAgrupar"), QStringLiteral("&Agrupar"), btnAgrupar);
    mniDesmembrar =
        AddButtonMenuItem(labels, QStringLiteral("mniDesmembrar"), QStringLiteral("&Desmembrar"), btnDesmembrar);
    SetCommandKey(btnAgrupar, {mniAgrupar}, QKeySequence(Qt::Key_F6));
    SetCommandKey(btnDesmembrar, {mniDesmembrar}, QKeySequence(Qt::Key_F7));
}

void TfrmConsDesEtiq::BuildFilterPanel()
{
    panFiltro = new TPanel(this, QStringLiteral("panFiltro"));
    panFiltro->setFixedHeight(kFilterHeight);
    auto* row = new QHBoxLayout(panFiltro);
    row->setContentsMargins(4, 2, 4, 4);
    row->setSpacing(6);

    BuildListOption(grbFilial, rdbFilialTodos, rdbListaFilial, btnPesqFilial,
                    {"Filial", "grbFilial", "rdbFilialTodos", "rdbListaFilial", "btnPesqFilial",
                     "Lista de Filiais", "Não há filial cadastrada."},
                    dtsFilial);
    BuildListOption(grbFornecedor, rdbFornTodos, rdbListaForn, btnPesqForn,
                    {"Fornecedor", "grbFornecedor", "rdbFornTodos", "rdbListaForn", "btnPesqForn",
                     "Lista de Fornecedores", "Não há fornecedor cadastrado."},
                    dtsFornecedor);

    grbDataEmissao = FilterGroup(panFiltro, QStringLiteral("Data de Emissão"), QStringLiteral("grbDataEmissao"));
    auto dateEdit = [this](const char* name) {
        auto* edit = new TDateEditPlus(grbDataEmissao, QLatin1String(name));
        edit->SetValidDateColor(Qt::blue);
        edit->DayNames = {QStringLiteral("Domingo"), QStringLiteral("Segunda"), QStringLiteral("Terça"),
                          QStringLiteral("Quarta"), QStringLiteral("Quinta"), QStringLiteral("Sexta"),
                          QStringLiteral("Sábado")};
        return edit;
    };
    lblDtIniEmiss = new QLabel(QStringLiteral("Inicial"), grbDataEmissao);
    depDtIniEmiss = dateEdit("depDtIniEmiss");
    lblDtFinEmiss = new QLabel(QStringLiteral("Final"), grbDataEmissao);
    depDtFinEmiss = dateEdit("depDtFinEmiss");
    auto* datas = new QGridLayout(grbDataEmissao);
    datas->addWidget(lblDtIniEmiss, 0, 0);
    datas->addWidget(lblDtFinEmiss, 0, 1);
    datas->addWidget(depDtIniEmiss, 1, 0);
    datas->addWidget(depDtFinEmiss, 1, 1);

    grbNumero = FilterGroup(panFiltro, QStringLiteral("Número"), QStringLiteral("grbNumero"));
    lblNumIni = new QLabel(QStringLiteral("Inicial"), grbNumero);
    edtNumIni = new TEdit(grbNumero, QStringLiteral("edtNumIni"));
    lblNumFin = new QLabel(QStringLiteral("Final"), grbNumero);
    edtNumFin = new TEdit(grbNumero, QStringLiteral("edtNumFin"));
    // Invoice numbers are digits: letters are refused as they are typed or pasted. No length
    // limit, so that a longer number reaches the search whole rather than cut to another one.
    for (TEdit* numero : {edtNumIni, edtNumFin})
        numero->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), numero));
    auto* numeros = new QGridLayout(grbNumero);
    numeros->addWidget(lblNumIni, 0, 0);
    numeros->addWidget(lblNumFin, 0, 1);
    numeros->addWidget(edtNumIni, 1, 0);
    numeros->addWidget(edtNumFin, 1, 1);

    row->addWidget(grbFilial, 2);
    row->addWidget(grbFornecedor, 2);
    row->addWidget(grbDataEmissao, 3);
    row->addWidget(grbNumero, 3);
    panFiltro->EnterMovesOn = true;
    AddTopPanel(panFiltro);
}

void TfrmConsDesEtiq::BuildListOption(TGroupBox*& group, TRadioButton*& todos, TRadioButton*& lista,
                                      TBtnPesquisa*& button, const TListOption& names, TDataSource* lookup)
{
    group = FilterGroup(panFiltro, QString::fromUtf8(names.caption), QLatin1String(names.group));
    todos = new TRadioButton(QStringLiteral("Todos"), group, QLatin1String(names.todos));
    lista = new TRadioButton(QStringLiteral("Lista"), group, QLatin1String(names.lista));
    lista->SetChecked(true);
    button = new TBtnPesquisa(group, QLatin1String(names.button));
    button->Title = QString::fromUtf8(names.title);
    button->DataSource = lookup;
    button->Associate = lista;
    button->EmptyError = QString::fromUtf8(names.emptyError);
    auto* grid = new QGridLayout(group);
    grid->addWidget(todos, 0, 0);
    grid->addWidget(lista, 1, 0);
    grid->addWidget(button, 1, 1);
}

void TfrmConsDesEtiq::BuildBarcodePanel()
{
    panChavAc = new TPanel(this, QStringLiteral("panChavAc"));
    panChavAc->setFixedHeight(kBarcodeHeight);
    lblCdBarProd = new QLabel(QStringLiteral("Código de barras do produto"), panChavAc);
    lblCdBarProd->setObjectName(QStringLiteral("lblCdBarProd"));
    QFont bold = lblCdBarProd->font();
    bold.setBold(true);
    lblCdBarProd->setFont(bold);
    QPalette highlight = lblCdBarProd->palette();
    highlight.setColor(QPalette::WindowText, highlight.color(QPalette::Highlight));
    lblCdBarProd->setPalette(highlight);
    edtCdBarProd = new TEdit(panChavAc, QStringLiteral("edtCdBarProd"));
    // No length limit: a scan longer than a label barcode must reach the check whole and be
    // refused, not be cut to the barcode of another label.
    edtCdBarProd->setFixedWidth(220);
    auto* row = new QHBoxLayout(panChavAc);
    row->setContentsMargins(8, 4, 8, 4);
    row->addWidget(lblCdBarProd);
    row->addWidget(edtCdBarProd);
    row->addStretch(1);
    AddTopPanel(panChavAc);
}

void TfrmConsDesEtiq::BuildPages()
{
    pgcPadrao->setTabText(tshFolhaDados->PageIndex(), QStringLiteral("Romaneio"));
    pgcPadrao->setTabText(tshFormulario->PageIndex(), QStringLiteral("Produto/Etiqueta"));
    AddColumns(dbgPadrao, NotaFiscalColumns());
    dbgPadrao->ReadOnly = true;

    dbgItemProduto = new TDBGrid(tshFormulario, QStringLiteral("dbgItemProduto"));
    dbgItemProduto->SetDataSource(dtsProdEtiq);
    dbgItemProduto->setFixedHeight(kItemGridHeight);
    AddColumns(dbgItemProduto, ProdEtiqColumns());

    grbEtiquetas = new TGroupBox(QStringLiteral("Etiquetas Geradas"), tshFormulario, QStringLiteral("grbEtiquetas"));
    dbgEtiquetaGerada = new TDBGrid(grbEtiquetas, QStringLiteral("dbgEtiquetaGerada"));
    dbgEtiquetaGerada->SetDataSource(dtsEtiqueta);
    AddColumns(dbgEtiquetaGerada, EtiquetaConsultaColumns());
    auto* labels = new QVBoxLayout(grbEtiquetas);
    labels->setContentsMargins(2, 2, 2, 2);
    labels->addWidget(dbgEtiquetaGerada);

    auto* page = new QVBoxLayout(tshFormulario);
    page->setContentsMargins(2, 2, 2, 2);
    page->addWidget(dbgItemProduto);
    page->addWidget(grbEtiquetas, 1);
}

void TfrmConsDesEtiq::FormCreate(QObject* sender)
{
    TfrmPadrao::FormCreate(sender);
    inEtiqMark = 0;
    netConsDesEtiq->Open();
    cdsProdEtiqCDARVPROD->EditMask = Morvaxa::DBPict(0);
}

void TfrmConsDesEtiq::netConsDesEtiqBeforeConnect(TNetConnection* sender)
{
    sender->Host = Morvaxa::WebURL();
    sender->Port = Morvaxa::WebPort();
    const TSession& session = TSession::Instance();
    sender->AccessToken = session.AccessToken;
    sender->ConnectTimeoutMs = session.ConnectTimeoutMs;
    sender->ReadTimeoutMs = session.ReadTimeoutMs;
}

void TfrmConsDesEtiq::FormShow(QObject* sender)
{
    TfrmPadrao::FormShow(sender);
    if (cdsNotaFiscal->Active())
        cdsNotaFiscal->EmptyDataSet();
    else
        cdsNotaFiscal->CreateDataSet();
    stListaFili = QStringLiteral("_") + Morvaxa::FiliProc() + QStringLiteral("_");
    stListaForn.clear();
    RecuperaFiltros();
    rdbListaFilial->setFocus();
}

void TfrmConsDesEtiq::FormActivate(QObject* sender)
{
    TfrmPadrao::FormActivate(sender);
    repaint();
}

void TfrmConsDesEtiq::FormClose(QObject* sender, TCloseAction& action)
{
    // Marks and labels chosen for printing live only on this screen: closing loses them.
    const QString pendente = TrabalhoPendente();
    if (!pendente.isEmpty() && !UiServices().Question(this, pendente)) {
        action = TCloseAction::caNone;
        return;
    }
    netConsDesEtiq->Close();
    // The rows go now; the set objects go with the screen, so that grids and handlers that
    // still refer to them until then never reach a freed set.
    cdsNotaFiscal->Close();
    cdsProdEtiq->Close();
    cdsRelEtiquetas->Close();
    cdsAuxEtiqueta->Close();
    bostcriado = false;
    TfrmPadrao::FormClose(sender, action);
}
