#include "screens/Cli_est99020/cli_est99020.h"

#include "framework/eventguard.h"
#include "framework/routines.h"
#include "framework/showavi.h"
#include "framework/uiservices.h"
#include "labels/barcode.h"
#include "labels/consdesetiqserver.h"
#include "labels/gridcolumns.h"
#include "labels/labelcodes.h"
#include "labels/messagetables.h"
#include "labels/printablelabels.h"
#include "labels/recordsets.h"
#include "package/pkg_est99000.h"
#include "platform/sysutils.h"
#include "screens/Cli_est99000/cli_est99000.h"
#include "screens/Cli_est99020/splitundo.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include <utility>

namespace {

constexpr int kClientWidth = 558;
constexpr int kClientHeight = 396;
constexpr int kDataPanelHeight = 83;
constexpr int kEntryPanelHeight = 40;
constexpr int kQuantityBoxWidth = 59;
constexpr int kWeightBoxWidth = 116;
constexpr int kGeneratingKind = 6;
constexpr int kEnter = 13;
// The edit takes a key-down code of 0 as swallowed, and the comma and the characters 37 to 40
// have no virtual key code; they go on to the key-press filter under a code that names no key.
constexpr int kUnnamedKey = 0xFF;
// Digits a box accepts: the quantity is whole, the weight has up to ten decimals.
constexpr int kIntegerDigits = 10;
constexpr int kWeightDecimals = 10;
// The operations of Grava_HelEtiquetas on the label rows of a batch: include or exclude.
const QString kIncluir = QStringLiteral("I");
const QString kExcluir = QStringLiteral("E");
const QString kWithdrawKeys = QStringLiteral("CDFILIAL;NRLANCTONF;NRSEQITPROD;VRPESOETIQ;IDSTATUSETIQ");
const QString kCloseUnconfirmed = QStringLiteral(
    "Há etiquetas geradas que não foram confirmadas. Deseja fechar e descartar o desmembramento?");

QString NumbersLeftMessage(qint64 left)
{
    return QStringLiteral("A Quantidade de Etiqueta supera a numeração disponível para o produto: restam %1 "
                          "número(s) de etiqueta, pois o código de barras comporta a numeração até %2.")
        .arg(qMax<qint64>(left, 0))
        .arg(kHighestSequence);
}

QLabel* BoldLabel(const QString& caption, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

TDBEdit* ShownOnlyBox(QWidget* parent, const QString& name)
{
    auto* box = new TDBEdit(parent, name);
    box->setEnabled(false);
    return box;
}

// x written in the general format with 15 significant digits and read back, so that
// differences beyond the fifteenth significant digit do not count.
long double Round15(long double x)
{
    return StrToFloatExtended(FloatToStrGeneralExtended(x, 15));
}

// The typed character kept by a number box: control keys, digits, the characters 37 to 40
// that share their codes with the arrow keys, and the comma where decimals are allowed.
QChar FilterNumberKey(QChar key, bool decimals)
{
    const ushort code = key.unicode();
    const bool kept = code == 8 || code == 9 || (code >= 37 && code <= 40) || (code >= 48 && code <= 57)
                      || (decimals && code == 44);
    return kept ? key : QChar(0);
}

TField* Field(TClientDataSet* set, const char* name)
{
    return set->FieldByName(QLatin1String(name));
}

} // namespace

TfrmDesmembramento::TfrmDesmembramento(QWidget* owner) : TfrmPadraoGrid(owner)
{
    setObjectName(QStringLiteral("frmDesmembramento"));
    SetCaption(QStringLiteral("Desmembramento"));
    lblCodTela->setText(QStringLiteral("Est99020"));
    msgPadrao.SetItems(MensagensDesmembramento());

    BuildRecordSets();
    BuildDataPanel();
    BuildGrid();
    BuildEntryPanel();
    BindQueryScreen();

    SetClientSize(kClientWidth, kClientHeight);
    SetFixedBorder(true);
}

TfrmDesmembramento::~TfrmDesmembramento()
{
    if (frmDesmembramento != this)
        return;
    frmDesmembramento = nullptr;
    boStCriado = false;
}

void TfrmDesmembramento::BuildRecordSets()
{
    cdsEtiqueta = new TClientDataSet(this);
    cdsEtiqueta->setObjectName(QStringLiteral("cdsEtiqueta"));
    DefineEtiquetaDesmembra(*cdsEtiqueta);
    cdsEtiqueta->CreateDataSet();
    cdsEtiqueta->OnNewRecord = [this](TClientDataSet* set) { cdsEtiquetaNewRecord(set); };
    cdsEtiqueta->BeforePost = [this](TClientDataSet* set) { cdsEtiquetaBeforePost(set); };
    cdsEtiqueta->BeforeDelete = [this](TClientDataSet* set) { cdsEtiquetaBeforeDelete(set); };
    cdsEtiqueta->AfterDelete = [this](TClientDataSet* set) { cdsEtiquetaAfterDelete(set); };

    cdsInsEtiqueta = new TClientDataSet(this);
    cdsInsEtiqueta->setObjectName(QStringLiteral("cdsInsEtiqueta"));
    DefineInsEtiqueta(*cdsInsEtiqueta);
    cdsInsEtiqueta->CreateDataSet();

    dtsPadrao->SetDataSet(cdsEtiqueta);
}

void TfrmDesmembramento::BuildDataPanel()
{
    panDados = new TPanel(this, QStringLiteral("panDados"));
    panDados->setFixedHeight(kDataPanelHeight);
    auto* rows = new QVBoxLayout(panDados);
    rows->setContentsMargins(6, 4, 6, 2);
    rows->setSpacing(2);

    auto* product = new QHBoxLayout;
    lblProduto = BoldLabel(QStringLiteral("Produto"), panDados);
    dbeCdProduto = ShownOnlyBox(panDados, QStringLiteral("dbeCdProduto"));
    dbeCdProduto->setFixedWidth(130);
    dbeNmProduto = ShownOnlyBox(panDados, QStringLiteral("dbeNmProduto"));
    product->addWidget(lblProduto);
    product->addWidget(dbeCdProduto);
    product->addWidget(dbeNmProduto, 1);
    rows->addLayout(product);
    rows->addStretch(1);

    grbQuantidade = new TGroupBox(QStringLiteral("Peso"), panDados, QStringLiteral("grbQuantidade"));
    grbQuantidade->SetBoldCaption(true);
    auto* weights = new QHBoxLayout(grbQuantidade);
    weights->setContentsMargins(6, 2, 6, 4);
    lblOrigem = new QLabel(QStringLiteral("Origem"), grbQuantidade);
    dbeQtdeOrig = ShownOnlyBox(grbQuantidade, QStringLiteral("dbeQtdeOrig"));
    dbeQtdeOrig->setAlignment(Qt::AlignRight);
    lblAcumulado = new QLabel(QStringLiteral("Acumulado"), grbQuantidade);
    dbeQtdeAcumu = ShownOnlyBox(grbQuantidade, QStringLiteral("dbeQtdeAcumu"));
    dbeQtdeAcumu->setAlignment(Qt::AlignRight);
    QFont total = dbeQtdeAcumu->font();
    total.setBold(true);
    total.setPixelSize(13);
    dbeQtdeAcumu->setFont(total);
    // The group box keeps its controls in the normal weight; the total stands out.
    dbeQtdeAcumu->setStyleSheet(QStringLiteral("font-weight: bold; font-size: 13px;"));
    dbeQtdeAcumu->SetDataSource(dtsPadrao);
    dbeQtdeAcumu->SetDataField(QStringLiteral("QTACUMULADA"));
    weights->addWidget(lblOrigem);
    weights->addWidget(dbeQtdeOrig, 1);
    weights->addSpacing(16);
    weights->addWidget(lblAcumulado);
    weights->addWidget(dbeQtdeAcumu, 1);
    rows->addWidget(grbQuantidade);
    AddTopPanel(panDados);
}

void TfrmDesmembramento::BuildGrid()
{
    for (const TGridColumn& c : EtiquetaDesmembraColumns())
        dbgPadrao->AddColumn(c.FieldName, c.Width, QString(), c.TitleAlignment, c.ReadOnly);
    TDBGridOptions options;
    options.Titles = true;
    options.ColumnResize = true;
    options.Tabs = true;
    options.RowSelect = true;
    options.AlwaysShowSelection = true;
    options.ConfirmDelete = true;
    options.CancelOnExit = true;
    dbgPadrao->SetOptions(options);
    dbgPadrao->setShowGrid(true);
    // The grid screen's own key handling of the grid does not apply to the batches.
    dbgPadrao->OnKeyDown = nullptr;
    dbgPadrao->OnKeyPress = nullptr;
}

void TfrmDesmembramento::BuildEntryPanel()
{
    panGera = new TPanel(this, QStringLiteral("panGera"));
    panGera->setFixedHeight(kEntryPanelHeight);
    auto* row = new QHBoxLayout(panGera);
    row->setContentsMargins(6, 4, 6, 4);
    lblQtdEtiqueta = BoldLabel(QStringLiteral("Quantidade de Etiqueta"), panGera);
    edtQtdEtiqueta = new TEdit(panGera, QStringLiteral("edtQtdEtiqueta"));
    edtQtdEtiqueta->setFixedWidth(kQuantityBoxWidth);
    lblPeso = BoldLabel(QStringLiteral("Peso"), panGera);
    edtPeso = new TEdit(panGera, QStringLiteral("edtPeso"));
    edtPeso->setFixedWidth(kWeightBoxWidth);
    btnGeraEtiqueta = new TButton(QStringLiteral("Gerar Etiqueta"), panGera, QStringLiteral("btnGeraEtiqueta"));
    QFont bold = btnGeraEtiqueta->font();
    bold.setBold(true);
    btnGeraEtiqueta->setFont(bold);
    row->addWidget(lblQtdEtiqueta);
    row->addWidget(edtQtdEtiqueta);
    row->addSpacing(10);
    row->addWidget(lblPeso);
    row->addWidget(edtPeso);
    row->addSpacing(10);
    row->addWidget(btnGeraEtiqueta);
    row->addStretch(1);
    AddBottomPanel(panGera);

    edtQtdEtiqueta->OnKeyPress = [this](QObject* sender, QChar& key) { edtQtdEtiquetaKeyPress(sender, key); };
    edtPeso->OnKeyPress = [this](QObject* sender, QChar& key) { edtPesoKeyPress(sender, key); };
    edtQtdEtiqueta->OnKeyDown = [this](QObject* sender, int& key, TShiftState shift) {
        edtQtdEtiquetaKeyDown(sender, key, shift);
    };
    edtPeso->OnKeyDown = [this](QObject* sender, int& key, TShiftState shift) { edtPesoKeyDown(sender, key, shift); };
    btnGeraEtiqueta->OnClick = [this](QObject* sender) { btnGeraEtiquetaClick(sender); };

    // The quantity box comes first, then the weight, the button and the grid.
    setTabOrder(edtQtdEtiqueta, edtPeso);
    setTabOrder(edtPeso, btnGeraEtiqueta);
    setTabOrder(btnGeraEtiqueta, dbgPadrao);
}

void TfrmDesmembramento::BindQueryScreen()
{
    if (!frmConsDesEtiq)
        return;
    dbeCdProduto->SetDataSource(frmConsDesEtiq->dtsProdEtiq);
    dbeCdProduto->SetDataField(QStringLiteral("CDARVPROD"));
    dbeNmProduto->SetDataSource(frmConsDesEtiq->dtsProdEtiq);
    dbeNmProduto->SetDataField(QStringLiteral("NMPRODUTO"));
    dbeQtdeOrig->SetDataSource(frmConsDesEtiq->dtsEtiqueta);
    dbeQtdeOrig->SetDataField(QStringLiteral("VRPESOETIQ"));
    // The total is shown in the pattern of the source's weight, so the two can be compared.
    Field(cdsEtiqueta, "QTACUMULADA")->DisplayFormat =
        Field(frmConsDesEtiq->cdsEtiqueta, "VRPESOETIQ")->DisplayFormat;
    dbtNome->SetDataSource(frmConsDesEtiq->dtsProdEtiq);
    dbtNome->SetDataField(QStringLiteral("NMPRODUTO"));
}

// ----- lifecycle ------------------------------------------------------------------------------

void TfrmDesmembramento::FormShow(QObject* sender)
{
    TfrmPadraoGrid::FormShow(sender);
    ControlaBotoes();
    edtQtdEtiqueta->setFocus();
}

void TfrmDesmembramento::FormActivate(QObject* sender)
{
    TfrmPadraoGrid::FormActivate(sender);
    repaint();
}

void TfrmDesmembramento::FormClose(QObject* sender, TCloseAction& action)
{
    // Batches not confirmed are lost by closing: the person is asked first.
    const bool confirmed = std::exchange(confirmed_, false);
    if (!confirmed && !cdsEtiqueta->IsEmpty() && !UiServices().Question(this, kCloseUnconfirmed)) {
        action = TCloseAction::caNone;
        return;
    }
    boStCriado = false;
    cdsEtiqueta->EmptyDataSet();
    cdsInsEtiqueta->EmptyDataSet();
    if (frmConsDesEtiq) {
        TClientDataSet* items = frmConsDesEtiq->cdsProdEtiq;
        const int item = items->Active() ? items->RecNo() : 0;
        // A refresh that fails (the server out of reach) is shown, but must not keep the
        // person from closing the dialog.
        RunGuarded([] { frmConsDesEtiq->sbtVerificarClick(frmConsDesEtiq->sbtVerificar); }, frmConsDesEtiq);
        if (items->Active() && item > 0)
            items->SetRecNo(item);
        if (frmConsDesEtiq->cdsEtiqueta->Active())
            frmConsDesEtiq->cdsEtiqueta->First();
    }
    TfrmPadraoGrid::FormClose(sender, action);
}

void TfrmDesmembramento::dtsPadraoStateChange(QObject* sender)
{
    TfrmPadraoGrid::dtsPadraoStateChange(sender);
    ControlaBotoes();
}

void TfrmDesmembramento::ControlaBotoes()
{
    const bool hasRows = cdsEtiqueta->Active() && !cdsEtiqueta->IsEmpty();
    const auto set = [](TSpeedButton* button, QList<QAction*> items, bool enabled) {
        button->setEnabled(enabled);
        for (QAction* item : items)
            item->setEnabled(enabled);
    };
    // Batches come only from the entry boxes and are never edited; nothing to verify or print.
    set(sbtIncluir, {mniIncluir}, false);
    set(sbtAlterar, {mniAlterar}, false);
    set(sbtVerificar, {mniVerificar}, false);
    set(sbtExcluir, {mniExcluir}, hasRows);
    set(sbtConfirmar, {mniConfirmar}, hasRows);
    set(sbtCancelar, {mniCancelar}, hasRows);
    set(sbtProcurar, {mniProcurar}, hasRows);
    set(sbtImprimir, {mniImprimir, mniVisualizar}, false);
    mniConfigImpressora->setEnabled(false);
}

// ----- batches --------------------------------------------------------------------------------

void TfrmDesmembramento::btnGeraEtiquetaClick(QObject*)
{
    {
        TShowAviScope progress(this, kGeneratingKind, msgPadrao.Msg(QStringLiteral("GeraEtiqueta")));
        Vd_GeraEtiqueta(false);
        try {
            cdsEtiqueta->Append();
            Field(cdsEtiqueta, "QTETIQPROD")->SetAsFloat(StrToInt(edtQtdEtiqueta->Text()));
            Field(cdsEtiqueta, "VRPESOETIQ")->SetAsFloat(StrToFloat(edtPeso->Text()));
            cdsEtiqueta->Post();
        } catch (...) {
            // A batch that could not be stored leaves no half-made row behind.
            if (cdsEtiqueta->State() == TDataSetState::Insert)
                cdsEtiqueta->Cancel();
            throw;
        }
    }
    edtQtdEtiqueta->clear();
    edtPeso->clear();
    edtQtdEtiqueta->setFocus();
}

void TfrmDesmembramento::Vd_GeraEtiqueta(bool confirming)
{
    if (confirming) {
        // "Acumulado" shows the total in the source's pattern; the check still takes the total
        // in the general format with 15 significant digits (empty while there is no batch).
        TField* total = Field(cdsEtiqueta, "QTACUMULADA");
        const double origem = StrToFloat(dbeQtdeOrig->text());
        const double acumulado = StrToFloat(total->IsNull() ? QString() : FloatToStrGeneral(total->AsFloat()));
        if (origem != acumulado) {
            edtQtdEtiqueta->setFocus();
            MensErro(msgPadrao.Msg(QStringLiteral("Dif_Etiquetas_Lanc")), true);
        }
        return;
    }

    TField* total = Field(cdsEtiqueta, "QTACUMULADA");
    const double accumulated = total->IsNull() ? 0.0 : total->AsFloat();
    const QString quantity = edtQtdEtiqueta->Text();
    const QString weight = edtPeso->Text();
    const auto refuse = [](TEdit* box, const QString& text) {
        box->setFocus();
        // The progress window of the generation would cover the message box.
        ResetShowAvi();
        MensErro(text, true);
    };
    const auto fail = [this, &refuse](TEdit* box, const char* key) { refuse(box, msgPadrao.Msg(QLatin1String(key))); };
    if (EmptyString(quantity))
        fail(edtQtdEtiqueta, "Qtde_dev");
    if (EmptyString(weight))
        fail(edtPeso, "Peso_dev");
    if (StrToFloat(quantity) <= 0)
        fail(edtQtdEtiqueta, "Qtde_maior");
    if (StrToFloat(weight) <= 0)
        fail(edtPeso, "Peso_maior");

    const double source = Field(Consulta().cdsEtiqueta, "VRPESOETIQ")->AsFloat();
    const int count = StrToInt(quantity);
    const double product = static_cast<double>(static_cast<long double>(count) * StrToFloatExtended(weight));
    if (source < product)
        fail(edtQtdEtiqueta, "Etiq_Peso_maior");
    const long double sum = static_cast<long double>(product) + static_cast<long double>(accumulated);
    if (Round15(sum) > Round15(source))
        fail(edtQtdEtiqueta, "Etiquetas_Lancadas");
    // Every new label needs a number of its own, so a batch cannot ask for more labels than
    // numbers are left (a tiny weight would otherwise let it build millions of rows).
    const qint64 left = NumbersLeft(false);
    if (count > left)
        refuse(edtQtdEtiqueta, NumbersLeftMessage(left));
}

qint64 TfrmDesmembramento::NumbersLeft(bool strict) const
{
    TField* highest = Field(Consulta().cdsEtiqueta, "NRSEQETIQMAX");
    qint64 used = 0;
    if (!highest->IsNull()) {
        // The confirmation reads the highest sequence with the number conversion, whose error
        // ends it; a batch takes a sequence that does not convert as none.
        bool converted = true;
        used = strict ? SplitStartSequence(highest->Value()) : highest->AsString().trimmed().toLongLong(&converted);
        if (!converted)
            used = 0;
    }
    return kHighestSequence - used - cdsInsEtiqueta->RecordCount();
}

void TfrmDesmembramento::cdsEtiquetaNewRecord(TClientDataSet* dataSet)
{
    TClientDataSet* item = Consulta().cdsProdEtiq;
    Field(dataSet, "CDFILIAL")->SetValue(Field(item, "CDFILIAL")->Value());
    Field(dataSet, "NRLANCTONF")->SetValue(Field(item, "NRLANCTONF")->Value());
    Field(dataSet, "NRSEQITPROD")->SetValue(Field(item, "NRSEQITPROD")->Value());
    Field(dataSet, "CDPRODUTO")->SetValue(Field(item, "CDPRODUTO")->Value());
    Field(dataSet, "QTTOTALPRODETIQ")->SetValue(Field(item, "QTITEMPROD")->Value());
    Field(dataSet, "IDSTATUSETIQ")->SetAsString(QLatin1String(kStatusAtiva));
}

void TfrmDesmembramento::cdsEtiquetaBeforePost(TClientDataSet*)
{
    // Only a new batch is expanded; an edited one changes no label row.
    if (dtsPadrao->State() == TDataSetState::Insert)
        Grava_HelEtiquetas(kIncluir);
}

void TfrmDesmembramento::cdsEtiquetaBeforeDelete(TClientDataSet*)
{
    Grava_HelEtiquetas(kExcluir);
}

void TfrmDesmembramento::cdsEtiquetaAfterDelete(TClientDataSet* dataSet)
{
    sbtExcluir->setEnabled(!dataSet->IsEmpty());
}

void TfrmDesmembramento::Grava_HelEtiquetas(const QString& operation)
{
    TShowAviScope progress(this, kGeneratingKind, msgPadrao.Msg(QStringLiteral("GeraEtiqueta")));
    if (operation == kIncluir)
        AddLabelRows();
    else if (operation == kExcluir)
        WithdrawLabelRows();
}

void TfrmDesmembramento::AddLabelRows()
{
    TfrmConsDesEtiq& consulta = Consulta();
    TClientDataSet* invoice = consulta.cdsNotaFiscal;
    TClientDataSet* item = consulta.cdsProdEtiq;
    TClientDataSet* source = consulta.cdsEtiqueta;
    const QString prefix =
        BarcodePrefix(Field(invoice, "CDFILIAL")->AsString(), Field(invoice, "NRLANCTONF")->AsString(),
                      Field(item, "NRSEQITPROD")->AsString());
    const int count = EmptyString(edtQtdEtiqueta->Text()) ? 0 : StrToInt(edtQtdEtiqueta->Text());
    const double weight = StrToFloat(edtPeso->Text());
    const double quantity = count;
    QList<TBookmark> added;
    try {
        for (int i = 0; i < count; ++i) {
            cdsInsEtiqueta->Append();
            Field(cdsInsEtiqueta, "IDCHECK")->SetAsString(QLatin1String(kDesmarcada));
            for (const char* key : {"CDFILIAL", "NRLANCTONF", "NRSEQITPROD", "CDPRODUTO", "QTTOTALPRODETIQ", "IDSTATUSETIQ"})
                Field(cdsInsEtiqueta, key)->SetValue(Field(source, key)->Value());
            Field(cdsInsEtiqueta, "QTETIQPROD")->SetAsFloat(quantity);
            Field(cdsInsEtiqueta, "VRPESOETIQ")->SetAsFloat(weight);
            Field(cdsInsEtiqueta, "CDCODBARRAETIQ")->SetAsString(prefix);
            cdsInsEtiqueta->Post();
            added.append(cdsInsEtiqueta->GetBookmark());
        }
    } catch (...) {
        // The batch row is not stored, so none of its label rows may stay.
        if (cdsInsEtiqueta->State() == TDataSetState::Insert)
            cdsInsEtiqueta->Cancel();
        for (const TBookmark& row : added) {
            cdsInsEtiqueta->GotoBookmark(row);
            cdsInsEtiqueta->Delete();
        }
        throw;
    }
}

void TfrmDesmembramento::WithdrawLabelRows()
{
    const int count = Field(cdsEtiqueta, "QTETIQPROD")->AsInteger();
    const QVariantList keys = {Field(cdsEtiqueta, "CDFILIAL")->Value(), Field(cdsEtiqueta, "NRLANCTONF")->Value(),
                               Field(cdsEtiqueta, "NRSEQITPROD")->Value(), Field(cdsEtiqueta, "VRPESOETIQ")->Value(),
                               QLatin1String(kStatusAtiva)};
    for (int i = 0; i < count; ++i) {
        if (cdsInsEtiqueta->Locate(kWithdrawKeys, keys, TLocateOption::CaseInsensitive))
            cdsInsEtiqueta->Delete();
    }
}

void TfrmDesmembramento::edtQtdEtiquetaKeyPress(QObject*, QChar& key)
{
    key = FilterNumberKey(key, false);
    MaxNumber(edtQtdEtiqueta->Text(), kIntegerDigits, 0, key, edtQtdEtiqueta->SelStart(), edtQtdEtiqueta->SelLength());
}

void TfrmDesmembramento::edtPesoKeyPress(QObject*, QChar& key)
{
    key = FilterNumberKey(key, true);
    MaxNumber(edtPeso->Text(), kIntegerDigits, kWeightDecimals, key, edtPeso->SelStart(), edtPeso->SelLength());
}

void TfrmDesmembramento::edtQtdEtiquetaKeyDown(QObject*, int& key, TShiftState)
{
    if (key == 0)
        key = kUnnamedKey;
    if (key != kEnter)
        return;
    key = 0;
    btnGeraEtiquetaClick(btnGeraEtiqueta);
}

void TfrmDesmembramento::edtPesoKeyDown(QObject* sender, int& key, TShiftState shift)
{
    // Enter in the weight box generates the batch just as in the quantity box.
    edtQtdEtiquetaKeyDown(sender, key, shift);
}

// ----- confirmation and cancellation ----------------------------------------------------------

void TfrmDesmembramento::sbtConfirmarClick(QObject* sender)
{
    Vd_GeraEtiqueta(true);
    TfrmPadraoGrid::sbtConfirmarClick(sender);
    // Numbers past the barcode's five digits are refused before anything changes.
    const qint64 left = NumbersLeft(true);
    if (left < 0) {
        edtQtdEtiqueta->setFocus();
        MensErro(NumbersLeftMessage(left + cdsInsEtiqueta->RecordCount()), true);
    }
    if (!UiServices().Question(this, msgPadrao.Msg(QStringLiteral("ConfirmaOper"))))
        return;
    NumberAndSend();
    confirmed_ = true;
    // The server has the new labels: the clerk is told so, as after a grouping.
    UiServices().Information(this, msgPadrao.Msg(QStringLiteral("Desme_ok")));
    Close();
}

void TfrmDesmembramento::NumberAndSend()
{
    TfrmConsDesEtiq& consulta = Consulta();
    TClientDataSet* invoice = consulta.cdsNotaFiscal;
    TClientDataSet* item = consulta.cdsProdEtiq;
    TClientDataSet* source = consulta.cdsEtiqueta;
    TClientDataSet* printable = consulta.cdsRelEtiquetas;
    int number = SplitStartSequence(Field(source, "NRSEQETIQMAX")->Value());
    const QString sourceBarcode = Field(source, "CDCODBARRAETIQ")->AsString();

    // Everything below is taken back when the server does not take the split, so that a
    // second confirmation starts from the same rows and the same highest sequence.
    TSplitUndo undo(*cdsInsEtiqueta, *printable);
    try {
        cdsInsEtiqueta->First();
        while (!cdsInsEtiqueta->Eof()) {
            ++number;
            TField* barcode = Field(cdsInsEtiqueta, "CDCODBARRAETIQ");
            TField* seqField = Field(cdsInsEtiqueta, "NRSEQETIQ");
            undo.Numbering(cdsInsEtiqueta->GetBookmark(), seqField->Value(), barcode->Value());
            const QString fullBarcode = ComposeBarcode(barcode->AsString(), number);
            cdsInsEtiqueta->Edit();
            seqField->SetAsString(FormatSequence(number));
            barcode->SetAsString(fullBarcode);
            cdsInsEtiqueta->Post();

            // The quantity is the one the server stores for the label, which every later reading lists.
            AppendPrintableLabel(*printable, *item, *invoice,
                                 {QLatin1String(kMarcada), Field(cdsInsEtiqueta, "VRPESOETIQ")->Value(),
                                  Field(cdsInsEtiqueta, "QTETIQPROD")->Value(), fullBarcode});
            undo.PrintableAdded(printable->GetBookmark());

            cdsInsEtiqueta->Next();
        }

        cdsInsEtiqueta->Append();
        Field(cdsInsEtiqueta, "IDCHECK")->SetAsString(QLatin1String(kDesmarcada));
        Field(cdsInsEtiqueta, "CDCODBARRAETIQ")->SetAsString(sourceBarcode);
        Field(cdsInsEtiqueta, "IDSTATUSETIQ")->SetAsString(QLatin1String(kStatusInativa));
        cdsInsEtiqueta->Post();
        undo.SourceRowAdded(cdsInsEtiqueta->GetBookmark());

        printable->SetFiltered(false);
        if (printable->Locate(QStringLiteral("CDCODBARRAETIQ"), {sourceBarcode}, TLocateOption::CaseInsensitive)) {
            undo.PrintableRemoving();
            printable->Delete();
        }
        printable->SetFiltered(true);

        TShowAviProgress progress(&consulta);
        TConsDesEtiqServer server(*consulta.netConsDesEtiq, progress);
        server.SetEtiqueta(cdsInsEtiqueta->Delta());
    } catch (...) {
        undo.Undo();
        throw;
    }
}

void TfrmDesmembramento::sbtCancelarClick(QObject*)
{
    if (!UiServices().Question(this, msgPadrao.Msg(QStringLiteral("CancelOper"))))
        return;
    cdsEtiqueta->EmptyDataSet();
    cdsInsEtiqueta->EmptyDataSet();
    ControlaBotoes();
}
