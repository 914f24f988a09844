#include "framework/frmdadosgerrel.h"

#include "framework/eventguard.h"
#include "framework/session.h"
#include "framework/workstation.h"
#include "platform/datasource.h"

#include <QHBoxLayout>

#include <algorithm>
#include <QVBoxLayout>

TfrmDadosGerRel::TfrmDadosGerRel(QWidget* owner)
    : TForm(owner), grbDadosRel(new TGroupBox(QStringLiteral("Relatório"), this, QStringLiteral("grbDadosRel"))),
      cbbReportNames(new QComboBox(grbDadosRel)), lblCodRel(new QLabel(grbDadosRel)),
      panBotoes(new TPanel(this, QStringLiteral("panBotoes"))), ppmEditReport(new QMenu(this)),
      lblCodTela(new QLabel(this)), layout_(new QVBoxLayout(this))
{
    cbbReportNames->setObjectName(QStringLiteral("cbbReportNames"));
    cbbReportNames->setFixedWidth(384);
    lblCodRel->setObjectName(QStringLiteral("lblCodRel"));
    lblCodTela->setObjectName(QStringLiteral("lblCodTela"));
    grbDadosRel->setFixedHeight(45);
    auto* report = new QHBoxLayout(grbDadosRel);
    report->setContentsMargins(6, 2, 6, 4);
    report->addWidget(cbbReportNames);
    report->addWidget(lblCodRel);
    report->addStretch(1);

    panBotoes->setFixedSize(232, 45);
    bar_ = new QHBoxLayout(panBotoes);
    bar_->setContentsMargins(2, 8, 2, 2);
    bar_->setSpacing(1);
    auto button = [this](const char* name, const char* hint, QStyle::StandardPixmap icon) {
        auto* b = new TSpeedButton(panBotoes, QString::fromLatin1(name));
        b->SetHint(QString::fromUtf8(hint));
        b->SetStandardIcon(icon);
        bar_->addWidget(b);
        return b;
    };
    sbtPreview = button("sbtPreview", "Visualizar", QStyle::SP_FileDialogContentsView);
    sbtPrint = button("sbtPrint", "Imprimir", QStyle::SP_FileIcon);
    sbtReportEdit = button("sbtReportEdit", "Editar relatório", QStyle::SP_FileDialogDetailedView);
    sbtCancel = button("sbtCancel", "Fechar", QStyle::SP_DialogCloseButton);
    bar_->addStretch(1);
    ppmEditReport->setObjectName(QStringLiteral("ppmEditReport"));
    QAction* edit = ppmEditReport->addAction(QStringLiteral("Editar relatório..."));
    QAction* create = ppmEditReport->addAction(QStringLiteral("Novo relatório..."));
    connect(edit, &QAction::triggered, this, [this] {
        RunGuarded([this] { ReportEngine().Design(Request(), false); }, this);
    });
    connect(create, &QAction::triggered, this, [this] {
        RunGuarded([this] { ReportEngine().Design(Request(), true); }, this);
    });
    sbtReportEdit->SetMenu(ppmEditReport);
    connect(cbbReportNames, &QComboBox::activated, this, [this] { RememberReportName(); });
    sbtPreview->OnClick = [this](QObject* sender) { sbtPreviewClick(sender); };
    sbtPrint->OnClick = [this](QObject* sender) { sbtPrintClick(sender); };
    sbtReportEdit->OnClick = [this](QObject* sender) { sbtReportEditClick(sender); };
    sbtCancel->OnClick = [this](QObject* sender) { sbtCancelClick(sender); };
    // The keys of the screen: F8 prints, Esc closes it, each as its button's click.
    sbtPrint->SetKey(QKeySequence(Qt::Key_F8), this);
    sbtCancel->SetKey(QKeySequence(Qt::Key_Escape), this);

    QFont bold = lblCodTela->font();
    bold.setBold(true);
    lblCodTela->setFont(bold);
    lblCodRel->setFont(bold);
    auto* top = new QHBoxLayout;
    top->setContentsMargins(4, 2, 6, 2);
    top->addWidget(grbDadosRel, 1);
    top->addWidget(panBotoes);
    top->addWidget(lblCodTela, 0, Qt::AlignTop | Qt::AlignRight);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
    layout_->addLayout(top);
    // Keeps the top row at the top until the screen adds its own controls.
    filler_ = new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Expanding);
    layout_->addItem(filler_);
}

void TfrmDadosGerRel::AddClientWidget(QWidget* widget, int stretch)
{
    if (filler_) {
        layout_->removeItem(filler_);
        delete filler_;
        filler_ = nullptr;
    }
    layout_->addWidget(widget, stretch);
}

void TfrmDadosGerRel::AddBarButton(TSpeedButton* button)
{
    button->setParent(panBotoes);
    bar_->insertWidget(bar_->count() - 1, button);
}

TReportRequest TfrmDadosGerRel::Request() const
{
    TReportRequest request;
    request.reportCode = lblCodRel->text();
    request.reportName = cbbReportNames->currentText();
    request.reportsDirectory = TSession::Instance().ReportsDirectory;
    request.screen = const_cast<TfrmDadosGerRel*>(this);
    request.dataSources = findChildren<TDataSource*>();
    request.messages = &msgPadrao;
    return request;
}

QString TfrmDadosGerRel::ReportNameKey() const
{
    return QStringLiteral("reports/%1.layout").arg(lblCodRel->text());
}

void TfrmDadosGerRel::RememberReportName()
{
    if (!cbbReportNames->currentText().isEmpty())
        TWorkstation::SetValue(ReportNameKey(), cbbReportNames->currentText());
}

void TfrmDadosGerRel::FormCreate(QObject*)
{
    cbbReportNames->clear();
    // A definition that cannot be read is shown now, and again by each preview and print, which
    // read it afresh; the screen is still built in full, so that the person's selection is there
    // and the definition can be opened for repair.
    RunGuarded([this] {
        cbbReportNames->addItems(ReportEngine().ReportNames(lblCodRel->text(), TSession::Instance().ReportsDirectory));
    }, this);
    // The layout this workstation chose last, when the definition still has it; else the first.
    const int remembered = cbbReportNames->findText(TWorkstation::Value(ReportNameKey()).toString());
    if (cbbReportNames->count() > 0)
        cbbReportNames->setCurrentIndex(std::max(remembered, 0));
}

void TfrmDadosGerRel::FormClose(QObject*, TCloseAction& action)
{
    action = TCloseAction::caFree;
}

void TfrmDadosGerRel::sbtPreviewClick(QObject*)
{
    RememberReportName();
    ReportEngine().Preview(Request());
}

void TfrmDadosGerRel::sbtPrintClick(QObject*)
{
    RememberReportName();
    ReportEngine().Print(Request());
}

void TfrmDadosGerRel::sbtReportEditClick(QObject*)
{
    ReportEngine().Design(Request(), false);
}

void TfrmDadosGerRel::sbtCancelClick(QObject*)
{
    Close();
}
