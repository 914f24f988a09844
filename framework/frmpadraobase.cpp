#include "framework/frmpadraobase.h"

#include "framework/eventguard.h"
#include "framework/procura.h"
#include "framework/uiservices.h"
#include "platform/clientdataset.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QVBoxLayout>

namespace {

constexpr int kMenuHeight = 28;
constexpr int kNavigatorHeight = 21;

bool Editing(TClientDataSet* dataSet)
{
    return dataSet && (dataSet->State() == TDataSetState::Edit || dataSet->State() == TDataSetState::Insert);
}

} // namespace

TfrmPadraoBase::TfrmPadraoBase(QWidget* owner)
    : TForm(owner), mnuPadrao(new QMenuBar(this)), panMenu(new TPanel(this, QStringLiteral("panMenu"))),
      lblCodTela(new QLabel(panMenu)), dtsPadrao(new TDataSource(this)),
      dbgPadrao(new TDBGrid(this, QStringLiteral("dbgPadrao"))),
      panNavigator(new TPanel(this, QStringLiteral("panNavigator"))), dbtNome(new TDBText(panNavigator, QStringLiteral("dbtNome"))),
      layout_(new QVBoxLayout(this))
{
    dtsPadrao->setObjectName(QStringLiteral("dtsPadrao"));
    lblCodTela->setObjectName(QStringLiteral("lblCodTela"));
    panMenu->setFixedHeight(kMenuHeight);
    panMenu->setFrameShape(QFrame::StyledPanel);
    auto* bar = new QHBoxLayout(panMenu);
    bar_ = bar;
    bar->setContentsMargins(2, 1, 6, 1);
    bar->setSpacing(1);

    sbtIncluir = AddButton(QStringLiteral("sbtIncluir"), QStringLiteral("Incluir"), QStyle::SP_FileDialogNewFolder,
                           &TfrmPadraoBase::sbtIncluirClick);
    sbtAlterar = AddButton(QStringLiteral("sbtAlterar"), QStringLiteral("Alterar"), QStyle::SP_FileDialogDetailedView,
                           &TfrmPadraoBase::sbtAlterarClick);
    sbtExcluir = AddButton(QStringLiteral("sbtExcluir"), QStringLiteral("Excluir"), QStyle::SP_TrashIcon,
                           &TfrmPadraoBase::sbtExcluirClick);
    sbtConfirmar = AddButton(QStringLiteral("sbtConfirmar"), QStringLiteral("Confirmar"), QStyle::SP_DialogApplyButton,
                             &TfrmPadraoBase::sbtConfirmarClick);
    sbtCancelar = AddButton(QStringLiteral("sbtCancelar"), QStringLiteral("Cancelar"), QStyle::SP_DialogCancelButton,
                            &TfrmPadraoBase::sbtCancelarClick);
    sbtVerificar = AddButton(QStringLiteral("sbtVerificar"), QStringLiteral("Verificar"), QStyle::SP_BrowserReload,
                             &TfrmPadraoBase::sbtVerificarClick);
    sbtProcurar = AddButton(QStringLiteral("sbtProcurar"), QStringLiteral("Procurar"),
                            QStyle::SP_FileDialogContentsView, &TfrmPadraoBase::sbtProcurarClick);
    sbtImprimir = AddButton(QStringLiteral("sbtImprimir"), QStringLiteral("Imprimir"), QStyle::SP_FileIcon,
                            &TfrmPadraoBase::sbtImprimirClick);
    sbtSair = new TSpeedButton(panMenu, QStringLiteral("sbtSair"));
    sbtSair->SetHint(QStringLiteral("Fechar"));
    sbtSair->SetStandardIcon(QStyle::SP_DialogCloseButton);
    sbtSair->OnClick = [this](QObject*) { Close(); };
    for (TSpeedButton* button : buttons_)
        bar->addWidget(button);
    bar->addWidget(sbtSair);
    bar->addStretch(1);
    QFont code = lblCodTela->font();
    code.setBold(true);
    lblCodTela->setFont(code);
    bar->addWidget(lblCodTela);

    BuildMenus();
    BuildNavigator();
    SetCommandKey(sbtVerificar, {mniVerificar}, QKeySequence(Qt::Key_F5));
    SetCommandKey(sbtImprimir, {mniImprimir}, QKeySequence(Qt::Key_F8));

    dbgPadrao->SetDataSource(dtsPadrao);
    dbtNome->SetDataSource(dtsPadrao);
    dtsPadrao->OnStateChange = [this](TDataSource* source) { dtsPadraoStateChange(source); };

    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
    layout_->setMenuBar(mnuPadrao);
    layout_->addWidget(panMenu);
    layout_->addWidget(panNavigator);
    dtsPadraoStateChange(dtsPadrao);
}

TSpeedButton* TfrmPadraoBase::AddButton(const QString& name, const QString& hint, QStyle::StandardPixmap icon,
                                        void (TfrmPadraoBase::*handler)(QObject*))
{
    auto* button = new TSpeedButton(panMenu, name);
    button->SetHint(hint);
    button->SetStandardIcon(icon);
    button->OnClick = [this, handler](QObject* sender) { (this->*handler)(sender); };
    buttons_.append(button);
    return button;
}

QAction* TfrmPadraoBase::AddMenuItem(QMenu* menu, const QString& name, const QString& caption,
                                     void (TfrmPadraoBase::*handler)(QObject*))
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, [this, action, handler] {
        RunGuarded([&] { (this->*handler)(action); }, this);
    });
    menuItems_.append(action);
    return action;
}

void TfrmPadraoBase::SetCommandKey(TSpeedButton* button, const QList<QAction*>& entries, const QKeySequence& key)
{
    button->SetKey(key, this);
    // After a tab the menu shows the text in its key column; the entry itself takes no key, so
    // that the key is the screen's only, not the whole main window's.
    for (QAction* entry : entries)
        entry->setText(entry->text() + QLatin1Char('\t') + key.toString(QKeySequence::NativeText));
}

QAction* TfrmPadraoBase::AddButtonMenuItem(QMenu* menu, const QString& name, const QString& caption,
                                           TSpeedButton* button)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, button, &QAbstractButton::click);
    menuItems_.append(action);
    return action;
}

void TfrmPadraoBase::BuildMenus()
{
    QMenu* record = mnuPadrao->addMenu(QStringLiteral("&Registro"));
    mniIncluir = AddMenuItem(record, QStringLiteral("mniIncluir"), QStringLiteral("&Incluir"), &TfrmPadraoBase::sbtIncluirClick);
    mniAlterar = AddMenuItem(record, QStringLiteral("mniAlterar"), QStringLiteral("&Alterar"), &TfrmPadraoBase::sbtAlterarClick);
    mniExcluir = AddMenuItem(record, QStringLiteral("mniExcluir"), QStringLiteral("&Excluir"), &TfrmPadraoBase::sbtExcluirClick);
    record->addSeparator();
    mniConfirmar = AddMenuItem(record, QStringLiteral("mniConfirmar"), QStringLiteral("C&onfirmar"),
                               &TfrmPadraoBase::sbtConfirmarClick);
    mniCancelar = AddMenuItem(record, QStringLiteral("mniCancelar"), QStringLiteral("&Cancelar"),
                              &TfrmPadraoBase::sbtCancelarClick);
    QMenu* query = mnuPadrao->addMenu(QStringLiteral("&Consulta"));
    mniVerificar = AddMenuItem(query, QStringLiteral("mniVerificar"), QStringLiteral("&Verificar"),
                               &TfrmPadraoBase::sbtVerificarClick);
    mniProcurar = AddMenuItem(query, QStringLiteral("mniProcurar"), QStringLiteral("&Procurar..."),
                              &TfrmPadraoBase::sbtProcurarClick);
    QMenu* print = mnuPadrao->addMenu(QStringLiteral("&Impressão"));
    mniImprimir = AddMenuItem(print, QStringLiteral("mniImprimir"), QStringLiteral("&Imprimir"),
                              &TfrmPadraoBase::sbtImprimirClick);
    mniVisualizar = AddMenuItem(print, QStringLiteral("mniVisualizar"), QStringLiteral("&Visualizar impressão"),
                                &TfrmPadraoBase::sbtImprimirClick);
    mniConfigImpressora = print->addAction(QStringLiteral("&Configurar impressora..."));
    mniConfigImpressora->setObjectName(QStringLiteral("mniConfigImpressora"));
    connect(mniConfigImpressora, &QAction::triggered, this, [this] {
        QPrinter printer;
        QPrintDialog dialog(&printer, this);
        dialog.exec();
    });
    menuItems_.append(mniConfigImpressora);
    print->addSeparator();
    mniSair = print->addAction(QStringLiteral("&Fechar"));
    mniSair->setObjectName(QStringLiteral("mniSair"));
    connect(mniSair, &QAction::triggered, this, [this] { Close(); });

    auto* printMenu = new QMenu(sbtImprimir);
    printMenu->addAction(mniImprimir);
    printMenu->addAction(mniVisualizar);
    sbtImprimir->SetMenu(printMenu);
}

void TfrmPadraoBase::BuildNavigator()
{
    panNavigator->setFixedHeight(kNavigatorHeight);
    panNavigator->setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(panNavigator);
    row->setContentsMargins(2, 0, 4, 0);
    row->setSpacing(0);
    const struct {
        const char* name;
        const char* hint;
        QStyle::StandardPixmap icon;
        int step;
    } moves[] = {
        {"nvgPrimeiro", "Primeiro", QStyle::SP_MediaSkipBackward, -2},
        {"nvgAnterior", "Anterior", QStyle::SP_MediaSeekBackward, -1},
        {"nvgProximo", "Próximo", QStyle::SP_MediaSeekForward, 1},
        {"nvgUltimo", "Último", QStyle::SP_MediaSkipForward, 2},
    };
    for (const auto& move : moves) {
        auto* button = new TSpeedButton(panNavigator, QString::fromLatin1(move.name));
        button->SetHint(QString::fromUtf8(move.hint));
        button->SetStandardIcon(move.icon);
        button->setFixedSize(20, 19);
        const int step = move.step;
        button->OnClick = [this, step](QObject*) { Navigate(step); };
        row->addWidget(button);
    }
    row->addSpacing(8);
    row->addWidget(dbtNome, 1);
}

void TfrmPadraoBase::Navigate(int step)
{
    TClientDataSet* dataSet = dtsPadrao->DataSet();
    if (!dataSet || !dataSet->Active())
        return;
    if (step == -2)
        dataSet->First();
    else if (step == -1)
        dataSet->Prior();
    else if (step == 1)
        dataSet->Next();
    else
        dataSet->Last();
}

void TfrmPadraoBase::SetMainArea(QWidget* area)
{
    layout_->insertWidget(1 + topPanels_, area, 1);
}

void TfrmPadraoBase::AddTopPanel(QWidget* panel)
{
    layout_->insertWidget(1 + topPanels_, panel);
    ++topPanels_;
}

void TfrmPadraoBase::AddBottomPanel(QWidget* panel)
{
    // Before the footer, after the main area and the bottom panels added earlier.
    layout_->insertWidget(layout_->count() - 1, panel);
    ++bottomPanels_;
}

void TfrmPadraoBase::AddCommandButton(TSpeedButton* button)
{
    button->setParent(panMenu);
    bar_->insertWidget(bar_->count() - 2, button);  // before the stretch and the screen code
}

QList<TSpeedButton*> TfrmPadraoBase::CommandButtons() const
{
    return buttons_;
}

QList<QAction*> TfrmPadraoBase::CommandMenuItems() const
{
    return menuItems_;
}

void TfrmPadraoBase::FormClose(QObject*, TCloseAction& action)
{
    action = TCloseAction::caFree;
}

void TfrmPadraoBase::dtsPadraoStateChange(QObject*)
{
    TClientDataSet* dataSet = dtsPadrao->DataSet();
    const bool editing = Editing(dataSet);
    const bool browsing = dataSet && dataSet->State() == TDataSetState::Browse;
    const bool hasRows = browsing && !dataSet->IsEmpty();
    sbtIncluir->setEnabled(browsing);
    sbtAlterar->setEnabled(hasRows);
    sbtExcluir->setEnabled(hasRows);
    sbtConfirmar->setEnabled(editing);
    sbtCancelar->setEnabled(editing);
    mniIncluir->setEnabled(sbtIncluir->isEnabled());
    mniAlterar->setEnabled(sbtAlterar->isEnabled());
    mniExcluir->setEnabled(sbtExcluir->isEnabled());
    mniConfirmar->setEnabled(editing);
    mniCancelar->setEnabled(editing);
}

void TfrmPadraoBase::sbtIncluirClick(QObject*)
{
    if (TClientDataSet* dataSet = dtsPadrao->DataSet())
        dataSet->Append();
}

void TfrmPadraoBase::sbtAlterarClick(QObject*)
{
    TClientDataSet* dataSet = dtsPadrao->DataSet();
    if (dataSet && !dataSet->IsEmpty())
        dataSet->Edit();
}

void TfrmPadraoBase::sbtExcluirClick(QObject*)
{
    TClientDataSet* dataSet = dtsPadrao->DataSet();
    if (!dataSet || !dataSet->Active() || dataSet->IsEmpty())
        return;
    QString question = msgPadrao.Msg(QStringLiteral("Excl"));
    if (question.isEmpty())
        question = QStringLiteral("Confirma exclusão?");
    if (UiServices().Question(this, question))
        dataSet->Delete();
}

void TfrmPadraoBase::sbtConfirmarClick(QObject*)
{
    TClientDataSet* dataSet = dtsPadrao->DataSet();
    if (Editing(dataSet))
        dataSet->Post();
}

void TfrmPadraoBase::sbtCancelarClick(QObject*)
{
    TClientDataSet* dataSet = dtsPadrao->DataSet();
    if (Editing(dataSet))
        dataSet->Cancel();
}

void TfrmPadraoBase::sbtVerificarClick(QObject*) {}

void TfrmPadraoBase::sbtProcurarClick(QObject*)
{
    Procura(dtsPadrao->DataSet());
}

void TfrmPadraoBase::sbtImprimirClick(QObject*) {}
