#include "host/road/road.h"

#include "framework/form.h"
#include "framework/labelsheetengine.h"
#include "framework/report/reportcatalog.h"
#include "framework/report/zpllabels.h"
#include "framework/session.h"
#include "host/mainwindow.h"
#include "host/moduleloader.h"
#include "package/pkg_est99000.h"
#include "platform/errors.h"
#include "platform/recordpeek.h"
#include "platform/sysutils.h"
#include "screens/Cli_est99000/cli_est99000.h"
#include "screens/Cli_est99010/cli_est99010.h"
#include "screens/Cli_est99020/cli_est99020.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTabBar>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

using R = TRoadStepResult;

const QString kBranch = QStringLiteral("0001");
const QString kEntry = QStringLiteral("0000000001");

QString Sequence(int number)
{
    return QStringLiteral("%1").arg(number, 5, 10, QLatin1Char('0'));
}

QString Weight(double value)
{
    return FormatFloat(QStringLiteral("#####0.000#######"), value);
}

bool SameWeight(double a, double b)
{
    return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(a));
}

void DeleteClosedScreens()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

const QList<TRoad::TStep>& TRoad::Steps()
{
    static const QList<TStep> steps{
        {1, QStringLiteral("filtros e pesquisa de notas fiscais"), QStringLiteral("filtros-pesquisa"), &TRoad::Filters},
        {2, QStringLiteral("itens e etiquetas da nota fiscal"), QStringLiteral("produto-etiqueta"), &TRoad::ItemsAndLabels},
        {3, QStringLiteral("leitura do código de barras"), QStringLiteral("leitura-codigo"), &TRoad::BarcodeScan},
        {4, QStringLiteral("marcação de duas etiquetas"), QStringLiteral("marcacao"), &TRoad::MarkTwo},
        {5, QStringLiteral("agrupamento das etiquetas marcadas"), QStringLiteral("agrupamento"), &TRoad::Group},
        {6, QStringLiteral("desmembramento de uma etiqueta"), QStringLiteral("desmembramento"), &TRoad::Split},
        {7, QStringLiteral("tela de relatório com as novas etiquetas"), QStringLiteral("relatorio"), &TRoad::ReportScreen},
        {8, QStringLiteral("impressão das etiquetas em PDF"), QStringLiteral("impressao-pdf"), &TRoad::PrintPdf},
        {9, QStringLiteral("leitura seguida, marcação e agrupamento de duas etiquetas"), QStringLiteral("leitura-agrupamento"),
         &TRoad::ScanMarkAndGroup},
    };
    return steps;
}

TRoad::TRoad(TRoadOptions options) : options_(std::move(options))
{
    ui_.Quiet = options_.quiet;
}

TRoad::~TRoad()
{
    Finish();
}

// ---------------------------------------------------------------- start and finish

TRoadStepResult TRoad::Start()
{
    ui_.Step = QStringLiteral("início");
    if (!options_.outputDir.isEmpty() && !QDir().mkpath(options_.outputDir))
        return R::Fail(QStringLiteral("não foi possível criar a pasta %1").arg(options_.outputDir));
    scratch_ = std::make_unique<QTemporaryDir>();
    database_ = options_.database.isEmpty() ? scratch_->filePath(QStringLiteral("est99000.db")) : options_.database;
    const QString serverPath = options_.serverPath.isEmpty()
                                   ? QCoreApplication::applicationDirPath() + QStringLiteral("/est99000-server")
                                   : options_.serverPath;
    ui_.Say(QStringLiteral("iniciando o servidor de aplicação %1").arg(serverPath));
    server_.SetExecutable(serverPath);
    if (!server_.Start({QStringLiteral("--listen"), QStringLiteral("127.0.0.1"), QStringLiteral("--database"),
                        database_, QStringLiteral("--init-demo")}))
        return R::Fail(QStringLiteral("o servidor de aplicação não iniciou: ") + server_.Error());
    ui_.Say(QStringLiteral("servidor atendendo em 127.0.0.1:%1").arg(server_.Port()));

    TSession& session = TSession::Instance();
    session.Branch = kBranch;
    session.ServerHost = QStringLiteral("127.0.0.1");
    session.ServerPort = server_.Port();
    session.AccessToken.clear();
    session.DatabaseConnection = database_;
    session.ReportsDirectory = options_.reportsDir;
    session.ProductCodeMask.clear();

    uiScope_ = std::make_unique<TUiServicesScope>(ui_);
    engine_ = std::make_unique<TLabelSheetEngine>();
    SetReportEngine(engine_.get());

    window_ = std::make_unique<TMainWindow>();
    window_->ShowSession(session.Branch, QStringLiteral("127.0.0.1:%1").arg(server_.Port()), database_);
    window_->resize(1100, 800);
    TForm::SetMainArea(window_->ChildArea());
    module_ = std::make_unique<TModuleLoader>();
    QObject::connect(window_.get(), &TMainWindow::openLabelModule, window_.get(), [this] {
        try {
            module_->Open();
        } catch (const Exception& e) {
            ui_.Error(window_.get(), e.Message());
        }
    });
    started_ = true;
    window_->show();
    window_->activateWindow();
    if (!QTest::qWaitForWindowActive(window_.get()))
        return R::Fail(QStringLiteral("a janela principal do cliente não ficou ativa"));
    try {
        module_->Load(options_.modulePath.isEmpty() ? TModuleLoader::DefaultPath() : options_.modulePath);
    } catch (const Exception& e) {
        return R::Fail(e.Message());
    }
    // Etiquetas > Consulta/Desmembramento Etiqueta
    window_->LabelModuleAction()->trigger();
    Settle();
    TfrmConsDesEtiq* query = Query();
    if (!query || !query->isVisible())
        return R::Fail(QStringLiteral("a tela de consulta de etiquetas não abriu"));
    query->activateWindow();
    if (!QTest::qWaitForWindowActive(query))
        return R::Fail(QStringLiteral("a tela de consulta de etiquetas não ficou ativa"));
    if (!ui_.Texts(TUiEntryKind::Error).isEmpty())
        return R::Fail(QStringLiteral("a tela mostrou o erro \"%1\"").arg(ui_.Texts(TUiEntryKind::Error).join("; ")));
    Pictures(0);
    return pictureFailure_.isEmpty() ? R::Ok() : R::Fail(pictureFailure_);
}

void TRoad::Finish()
{
    if (started_) {
        started_ = false;
        ui_.Step = QStringLiteral("fim");
        ui_.OnModal = nullptr;
        // Labels made after the printing are still to be printed: the screen asks, the road leaves.
        ui_.Answers.clear();
        ui_.Answers.enqueue(true);
        if (bostcriado && frmConsDesEtiq)
            frmConsDesEtiq->Close();
        DeleteClosedScreens();
        window_->close();
        TForm::SetMainArea(nullptr);
        window_.reset();
        DeleteClosedScreens();
        module_->Finish();
        SetReportEngine(nullptr);
        uiScope_.reset();
    }
    server_.Stop();
}

TfrmConsDesEtiq* TRoad::Query() const
{
    return bostcriado ? frmConsDesEtiq : nullptr;
}

// ---------------------------------------------------------------- running

TRoadStepResult TRoad::Run(const TStep& step)
{
    ui_.Step = QStringLiteral("passo %1").arg(step.number);
    ui_.Say(QStringLiteral("início: ") + step.name);
    ui_.Clear();
    ui_.Answers.clear();
    ui_.OnModal = nullptr;
    pictureFailure_.clear();
    TRoadStepResult result;
    if (!Query()) {
        result = R::Fail(QStringLiteral("a tela de consulta de etiquetas não está aberta"));
    } else {
        try {
            result = (this->*step.run)();
        } catch (const std::exception& e) {
            result = R::Fail(QString::fromUtf8(e.what()));
        }
    }
    ui_.OnModal = nullptr;
    Settle();
    const QStringList errors = ui_.Texts(TUiEntryKind::Error);
    if (result.ok && !errors.isEmpty())
        result = R::Fail(QStringLiteral("a tela mostrou o erro \"%1\"").arg(errors.join(QStringLiteral("; "))));
    if (!pictured_.contains(step.number))
        Pictures(step.number);
    if (result.ok && !pictureFailure_.isEmpty())
        result = R::Fail(pictureFailure_);
    ui_.Say(result.ok ? QStringLiteral("concluído") : QStringLiteral("falhou: ") + result.failure);
    return result;
}

int TRoad::RunAll()
{
    const TRoadStepResult start = Start();
    if (!start.ok) {
        std::fprintf(stderr, "Falha ao iniciar o roteiro: %s\n", start.failure.toUtf8().constData());
        Finish();
        return 1;
    }
    for (const TStep& step : Steps()) {
        const TRoadStepResult result = Run(step);
        if (!result.ok) {
            std::fprintf(stderr, "Falha no passo %d (%s): %s\n", step.number, step.name.toUtf8().constData(),
                         result.failure.toUtf8().constData());
            Finish();
            return 1;
        }
    }
    Finish();
    ui_.Step.clear();
    ui_.Say(QStringLiteral("roteiro concluído: todos os passos fizeram o que deviam"));
    return 0;
}

// ---------------------------------------------------------------- pictures

QString TRoad::OutputPath(const QString& name) const
{
    return QDir(options_.outputDir.isEmpty() ? scratch_->path() : options_.outputDir).filePath(name);
}

void TRoad::Pictures(int step)
{
    pictured_.insert(step);
    if (options_.outputDir.isEmpty())
        return;
    Settle();
    if (TfrmConsDesEtiq* query = Query(); query && query->isVisible())
        Picture(query->SubWindow() ? static_cast<QWidget*>(query->SubWindow()) : query, step, QStringLiteral("est99000"));
    if (boStCriado && frmDesmembramento && frmDesmembramento->isVisible())
        Picture(frmDesmembramento, step, QStringLiteral("est99020"));
    if (boIdCriado && frmRelConsDesEtiq && frmRelConsDesEtiq->isVisible())
        Picture(frmRelConsDesEtiq, step, QStringLiteral("est99010"));
}

void TRoad::Picture(QWidget* window, int step, const QString& screenCode)
{
    const QString slug = step == 0 ? QStringLiteral("inicio") : Steps().at(step - 1).slug;
    const QString path = OutputPath(QStringLiteral("%1-%2-%3.png").arg(step, 2, 10, QLatin1Char('0')).arg(slug, screenCode));
    const QImage image = window->grab().toImage();
    if (image.isNull() || !image.save(path, "PNG")) {
        pictureFailure_ = QStringLiteral("não foi possível gravar a imagem %1").arg(path);
        return;
    }
    ui_.Say(QStringLiteral("imagem: ") + path);
}

// ---------------------------------------------------------------- the clerk's hands

void TRoad::Settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    DeleteClosedScreens();
}

void TRoad::Click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(4, widget->height() / 2));
}

void TRoad::ClickTab(int page)
{
    auto* bar = Query()->pgcPadrao->findChild<QTabBar*>();
    if (bar)
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
}

void TRoad::ClickRow(TDBGrid* grid, int row)
{
    const QModelIndex index = grid->model()->index(row, 1);
    grid->scrollTo(index);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
}

void TRoad::DoubleClickRow(TDBGrid* grid, int row)
{
    const QModelIndex index = grid->model()->index(row, 1);
    grid->scrollTo(index);
    const QPoint at = grid->visualRect(index).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
}

void TRoad::Type(QWidget* box, const QString& text)
{
    box->setFocus();
    QTest::keyClicks(box, text);
}

// ---------------------------------------------------------------- reading the screens

int TRoad::RowOf(TClientDataSet* set, const QString& field, const QString& value)
{
    for (int r = 1; r <= set->RecordCount(); ++r) {
        TRecordPeek peek(set, r);
        if (set->FieldByName(field)->AsString().compare(value, Qt::CaseInsensitive) == 0)
            return r - 1;
    }
    return -1;
}

QString TRoad::Cell(TClientDataSet* set, int row, const QString& field)
{
    TRecordPeek peek(set, row + 1);
    return set->FieldByName(field)->AsString();
}

double TRoad::Number(TClientDataSet* set, int row, const QString& field)
{
    TRecordPeek peek(set, row + 1);
    return set->FieldByName(field)->AsFloat();
}

QString TRoad::Current(TClientDataSet* set, const QString& field)
{
    return set->IsEmpty() ? QString() : set->FieldByName(field)->AsString();
}

QStringList TRoad::Column(TClientDataSet* set, const QString& field)
{
    QStringList values;
    for (int r = 0; r < set->RecordCount(); ++r)
        values << Cell(set, r, field);
    return values;
}

TRoadLabel TRoad::ListedLabel(const QString& barcode) const
{
    TClientDataSet* labels = Query()->cdsEtiqueta;
    const int row = RowOf(labels, QStringLiteral("CDCODBARRAETIQ"), barcode);
    if (row < 0)
        return {};
    return {Cell(labels, row, QStringLiteral("CDCODBARRAETIQ")), Cell(labels, row, QStringLiteral("NRSEQETIQ")),
            Number(labels, row, QStringLiteral("VRPESOETIQ")), Number(labels, row, QStringLiteral("QTETIQPROD"))};
}

QString TRoad::ListedStatus(const QString& barcode) const
{
    TClientDataSet* labels = Query()->cdsEtiqueta;
    const int row = RowOf(labels, QStringLiteral("CDCODBARRAETIQ"), barcode);
    return row < 0 ? QString() : Cell(labels, row, QStringLiteral("IDSTATUSETIQ"));
}

QString TRoad::PrintableMark(const QString& barcode) const
{
    TClientDataSet* printable = Query()->cdsRelEtiquetas;
    const int row = RowOf(printable, QStringLiteral("CDCODBARRAETIQ"), barcode);
    return row < 0 ? QString() : Cell(printable, row, QStringLiteral("IDCHECK"));
}

QStringList TRoad::FreeLabels() const
{
    TClientDataSet* labels = Query()->cdsEtiqueta;
    QStringList free;
    for (int r = 0; r < labels->RecordCount(); ++r) {
        if (Cell(labels, r, QStringLiteral("IDSTATUSETIQ")) == QLatin1String("A")
            && Cell(labels, r, QStringLiteral("NRPEDEXOL")).trimmed().isEmpty())
            free << Cell(labels, r, QStringLiteral("CDCODBARRAETIQ"));
    }
    return free;
}

QString TRoad::BarcodeOf(const QString& sequence) const
{
    return facts_.branch + facts_.entry + facts_.item + sequence;
}

int TRoad::HighestSequence() const
{
    int highest = 0;
    for (const QString& sequence : Column(Query()->cdsEtiqueta, QStringLiteral("NRSEQETIQ")))
        highest = std::max(highest, sequence.toInt());
    return highest;
}

// ---------------------------------------------------------------- 1. filters and search

TRoadStepResult TRoad::Filters()
{
    TfrmConsDesEtiq* q = Query();
    Click(q->rdbFilialTodos);
    Click(q->rdbFornTodos);
    if (!q->rdbFilialTodos->isChecked() || !q->rdbFornTodos->isChecked())
        return R::Fail(QStringLiteral("as opções \"Todos\" de filial e de fornecedor não ficaram marcadas"));
    const QDate last = QDate::currentDate();
    const QDate first = last.addDays(-30);
    Type(q->depDtIniEmiss->Editor(), first.toString(QStringLiteral("ddMMyyyy")));
    Type(q->depDtFinEmiss->Editor(), last.toString(QStringLiteral("ddMMyyyy")));
    if (!q->depDtIniEmiss->IsValidDate() || !q->depDtFinEmiss->IsValidDate())
        return R::Fail(QStringLiteral("as datas de emissão digitadas (%1 e %2) não foram aceitas")
                           .arg(q->depDtIniEmiss->Text(), q->depDtFinEmiss->Text()));
    // Leaving the filter panel for the invoice list validates the filters and runs the search.
    Click(q->dbgPadrao->viewport());
    Settle();
    if (!ui_.Texts(TUiEntryKind::Error).isEmpty())
        return R::Fail(QStringLiteral("a pesquisa foi recusada: ") + ui_.Texts(TUiEntryKind::Error).join("; "));
    TClientDataSet* invoices = q->cdsNotaFiscal;
    facts_.invoicesListed = invoices->RecordCount();
    if (facts_.invoicesListed == 0)
        return R::Fail(QStringLiteral("a pesquisa não listou nenhuma nota fiscal emitida de %1 a %2")
                           .arg(first.toString(QStringLiteral("dd/MM/yyyy")), last.toString(QStringLiteral("dd/MM/yyyy"))));
    bool demoListed = false;
    for (int r = 0; r < facts_.invoicesListed; ++r) {
        TRecordPeek peek(invoices, r + 1);
        const QDate issued = invoices->FieldByName(QStringLiteral("DTEMISSAO"))->AsDateTime().date();
        if (issued < first || issued > last)
            return R::Fail(QStringLiteral("a nota fiscal %1, emitida em %2, está fora do período pesquisado")
                               .arg(invoices->FieldByName(QStringLiteral("NRNOTAFISC"))->AsString(),
                                    issued.toString(QStringLiteral("dd/MM/yyyy"))));
        demoListed = demoListed || (invoices->FieldByName(QStringLiteral("CDFILIAL"))->AsString() == kBranch
                                    && invoices->FieldByName(QStringLiteral("NRLANCTONF"))->AsString() == kEntry);
    }
    if (!demoListed)
        return R::Fail(QStringLiteral("a nota fiscal de demonstração %1/%2 não está entre as %3 listadas")
                           .arg(kBranch, kEntry)
                           .arg(facts_.invoicesListed));
    if (!q->tshFormulario->PageEnabled() || !q->sbtVerificar->isEnabled())
        return R::Fail(QStringLiteral("depois da pesquisa a página \"Produto/Etiqueta\" ou o comando Verificar continuou desabilitado"));
    ui_.Say(QStringLiteral("%1 notas fiscais listadas").arg(facts_.invoicesListed));
    return R::Ok();
}

// ---------------------------------------------------------------- 2. items and labels

TRoadStepResult TRoad::ItemsAndLabels()
{
    TfrmConsDesEtiq* q = Query();
    TClientDataSet* invoices = q->cdsNotaFiscal;
    int row = -1;
    for (int r = 0; r < invoices->RecordCount() && row < 0; ++r) {
        if (Cell(invoices, r, QStringLiteral("CDFILIAL")) == kBranch && Cell(invoices, r, QStringLiteral("NRLANCTONF")) == kEntry)
            row = r;
    }
    if (row < 0)
        return R::Fail(QStringLiteral("a nota fiscal %1/%2 não está na lista").arg(kBranch, kEntry));
    ClickRow(q->dbgPadrao, row);
    if (Current(invoices, QStringLiteral("NRLANCTONF")) != kEntry)
        return R::Fail(QStringLiteral("o clique na nota fiscal %1/%2 não a tornou a nota corrente").arg(kBranch, kEntry));
    facts_.branch = kBranch;
    facts_.entry = kEntry;
    facts_.invoiceNumber = Current(invoices, QStringLiteral("NRNOTAFISC"));
    if (q->dbtNome->text() != Current(invoices, QStringLiteral("DSRODAP")))
        return R::Fail(QStringLiteral("o rodapé mostra \"%1\", não o texto da nota fiscal \"%2\"")
                           .arg(q->dbtNome->text(), Current(invoices, QStringLiteral("DSRODAP"))));
    ClickTab(q->tshFormulario->PageIndex());
    Settle();
    if (q->pgcPadrao->ActivePage() != q->tshFormulario)
        return R::Fail(QStringLiteral("a página \"Produto/Etiqueta\" não abriu"));
    TClientDataSet* items = q->cdsProdEtiq;
    if (items->IsEmpty())
        return R::Fail(QStringLiteral("a nota fiscal %1 não listou nenhum item").arg(facts_.invoiceNumber));
    if (items->RecNo() != 1)
        return R::Fail(QStringLiteral("depois da carga o primeiro item não ficou corrente"));
    facts_.item = Current(items, QStringLiteral("NRSEQITPROD"));
    TClientDataSet* labels = q->cdsEtiqueta;
    if (labels->IsEmpty())
        return R::Fail(QStringLiteral("o item %1 não listou nenhuma etiqueta").arg(facts_.item));
    QStringList active;
    for (int r = 0; r < labels->RecordCount(); ++r) {
        if (Cell(labels, r, QStringLiteral("NRSEQITPROD")) != facts_.item)
            return R::Fail(QStringLiteral("a lista de etiquetas do item %1 mostra a etiqueta %2 de outro item")
                               .arg(facts_.item, Cell(labels, r, QStringLiteral("CDCODBARRAETIQ"))));
        if (Cell(labels, r, QStringLiteral("IDSTATUSETIQ")) == QLatin1String("A"))
            active << Cell(labels, r, QStringLiteral("CDCODBARRAETIQ"));
    }
    QStringList printable = Column(q->cdsRelEtiquetas, QStringLiteral("CDCODBARRAETIQ"));
    active.sort();
    printable.sort();
    if (active != printable)
        return R::Fail(QStringLiteral("as etiquetas imprimíveis do item %1 (%2) não são as suas etiquetas ativas (%3)")
                           .arg(facts_.item, printable.join(QStringLiteral(", ")), active.join(QStringLiteral(", "))));
    ui_.Say(QStringLiteral("nota fiscal %1: %2 itens; item %3 com %4 etiquetas, %5 ativas")
                .arg(facts_.invoiceNumber)
                .arg(items->RecordCount())
                .arg(facts_.item)
                .arg(labels->RecordCount())
                .arg(active.size()));
    return R::Ok();
}

// ---------------------------------------------------------------- 3. barcode scan

TRoadStepResult TRoad::BarcodeScan()
{
    TfrmConsDesEtiq* q = Query();
    TClientDataSet* labels = q->cdsEtiqueta;
    freeLabels_ = FreeLabels().mid(0, 2);
    if (freeLabels_.size() < 2)
        return R::Fail(QStringLiteral("o item %1 não tem duas etiquetas ativas sem pedido para agrupar").arg(facts_.item));
    TClientDataSet* items = q->cdsProdEtiq;
    if (items->RecordCount() > 1) {
        // The clerk is elsewhere in the invoice when the label comes to hand.
        ClickRow(q->dbgItemProduto, items->RecordCount() - 1);
        if (Current(items, QStringLiteral("NRSEQITPROD")) == facts_.item)
            return R::Fail(QStringLiteral("o clique no último item não o tornou o item corrente"));
    }
    const QString barcode = freeLabels_.at(1);
    Type(q->edtCdBarProd, barcode);
    QTest::keyClick(q->edtCdBarProd, Qt::Key_Return);
    Settle();
    if (!ui_.Texts(TUiEntryKind::Information).isEmpty())
        return R::Fail(QStringLiteral("a leitura de %1 mostrou \"%2\"").arg(barcode, ui_.Texts(TUiEntryKind::Information).join("; ")));
    if (Current(items, QStringLiteral("NRSEQITPROD")) != facts_.item)
        return R::Fail(QStringLiteral("depois da leitura de %1 o item corrente é %2, não %3")
                           .arg(barcode, Current(items, QStringLiteral("NRSEQITPROD")), facts_.item));
    if (Current(labels, QStringLiteral("CDCODBARRAETIQ")) != barcode)
        return R::Fail(QStringLiteral("depois da leitura a etiqueta corrente é %1, não %2")
                           .arg(Current(labels, QStringLiteral("CDCODBARRAETIQ")), barcode));
    QWidget* focused = QApplication::focusWidget();
    if (focused != q->dbgEtiquetaGerada && !q->dbgEtiquetaGerada->isAncestorOf(focused))
        return R::Fail(QStringLiteral("depois da leitura o foco não foi para a lista de etiquetas"));
    ui_.Say(QStringLiteral("etiqueta %1 do item %2 localizada").arg(barcode, facts_.item));
    return R::Ok();
}

// ---------------------------------------------------------------- 4. marking two labels

TRoadStepResult TRoad::MarkTwo()
{
    TfrmConsDesEtiq* q = Query();
    if (freeLabels_.size() < 2)
        return R::Fail(QStringLiteral("a leitura do código de barras não escolheu as etiquetas a marcar"));
    TClientDataSet* labels = q->cdsEtiqueta;
    // Space on the label the scan selected, a double-click on the other one.
    QTest::keyClick(q->dbgEtiquetaGerada, Qt::Key_Space);
    const int row = RowOf(labels, QStringLiteral("CDCODBARRAETIQ"), freeLabels_.at(0));
    if (row < 0)
        return R::Fail(QStringLiteral("a etiqueta %1 sumiu da lista").arg(freeLabels_.at(0)));
    DoubleClickRow(q->dbgEtiquetaGerada, row);
    Settle();
    for (const QString& barcode : freeLabels_) {
        const int r = RowOf(labels, QStringLiteral("CDCODBARRAETIQ"), barcode);
        if (r < 0 || Cell(labels, r, QStringLiteral("IDCHECK")) != QLatin1String("C"))
            return R::Fail(QStringLiteral("a etiqueta %1 não ficou marcada").arg(barcode));
    }
    if (inEtiqMark != 2)
        return R::Fail(QStringLiteral("o contador de marcas está em %1, não em 2").arg(inEtiqMark));
    if (!q->btnAgrupar->isEnabled())
        return R::Fail(QStringLiteral("com duas etiquetas marcadas o botão Agrupar continuou desabilitado"));
    if (q->btnDesmembrar->isEnabled())
        return R::Fail(QStringLiteral("com duas etiquetas marcadas o botão Desmembrar ficou habilitado"));
    return R::Ok();
}

// ---------------------------------------------------------------- 5. grouping

TRoadStepResult TRoad::Group()
{
    if (freeLabels_.size() < 2)
        return R::Fail(QStringLiteral("não há etiquetas marcadas para agrupar"));
    return GroupMarked(freeLabels_, facts_.grouped, facts_.group);
}

TRoadStepResult TRoad::GroupMarked(const QStringList& marked, QList<TRoadLabel>& grouped, TRoadLabel& group)
{
    TfrmConsDesEtiq* q = Query();
    grouped.clear();
    double sum = 0;
    for (const QString& barcode : marked) {
        grouped << ListedLabel(barcode);
        sum += grouped.last().weight;
    }
    const QString sequence = Sequence(HighestSequence() + 1);
    group = {BarcodeOf(sequence), sequence, sum, 1};

    ui_.Answers.enqueue(true);
    Click(q->btnAgrupar);
    Settle();
    const QString question = QStringLiteral("Tem certeza que deseja agrupar as etiquetas selecionadas?");
    if (ui_.Texts(TUiEntryKind::Question) != QStringList{question})
        return R::Fail(QStringLiteral("o agrupamento não perguntou \"%1\"").arg(question));
    if (!ui_.Errors().isEmpty())
        return R::Fail(QStringLiteral("o agrupamento foi recusado: ") + ui_.Errors().join("; "));
    if (!ui_.Texts(TUiEntryKind::Information).contains(QStringLiteral("Agrupamento realizado com sucesso.")))
        return R::Fail(QStringLiteral("a mensagem \"Agrupamento realizado com sucesso.\" não apareceu"));
    if (Current(q->cdsProdEtiq, QStringLiteral("NRSEQITPROD")) != facts_.item)
        return R::Fail(QStringLiteral("depois do agrupamento o item %1 não voltou a ser o corrente").arg(facts_.item));
    if (Current(q->cdsEtiqueta, QStringLiteral("CDCODBARRAETIQ")) != group.barcode)
        return R::Fail(QStringLiteral("a nova etiqueta %1 não ficou selecionada (a corrente é %2)")
                           .arg(group.barcode, Current(q->cdsEtiqueta, QStringLiteral("CDCODBARRAETIQ"))));
    TColumn* markColumn = q->dbgEtiquetaGerada->ColumnByField(QStringLiteral("IDCHECK"));
    if (QApplication::focusWidget() != q->dbgEtiquetaGerada || !markColumn
        || q->dbgEtiquetaGerada->currentIndex().column() != markColumn->Index())
        return R::Fail(QStringLiteral("depois do agrupamento o foco não foi para a marca da nova etiqueta"));
    const TRoadLabel made = ListedLabel(group.barcode);
    if (ListedStatus(made.barcode) != QLatin1String("A") || !SameWeight(made.weight, sum) || made.quantity != 1)
        return R::Fail(QStringLiteral("a nova etiqueta %1 veio com situação \"%2\", peso %3 e quantidade %4; "
                                      "esperados \"A\", %5 e 1")
                           .arg(made.barcode, ListedStatus(made.barcode), Weight(made.weight))
                           .arg(made.quantity)
                           .arg(Weight(sum)));
    for (const TRoadLabel& old : grouped) {
        if (ListedStatus(old.barcode) != QLatin1String("I"))
            return R::Fail(QStringLiteral("a etiqueta agrupada %1 não ficou inativa").arg(old.barcode));
        if (!PrintableMark(old.barcode).isEmpty())
            return R::Fail(QStringLiteral("a etiqueta agrupada %1 continua entre as imprimíveis").arg(old.barcode));
    }
    if (PrintableMark(made.barcode) != QLatin1String("C"))
        return R::Fail(QStringLiteral("a nova etiqueta %1 não está marcada para impressão").arg(made.barcode));
    if (inEtiqMark != 0)
        return R::Fail(QStringLiteral("depois do agrupamento o contador de marcas ficou em %1").arg(inEtiqMark));
    ui_.Say(QStringLiteral("etiquetas %1 e %2 agrupadas na %3, de %4 kg")
                .arg(grouped.at(0).barcode, grouped.at(1).barcode, made.barcode, Weight(sum)));
    return R::Ok();
}

// ---------------------------------------------------------------- 6. split

TRoadStepResult TRoad::Split()
{
    TfrmConsDesEtiq* q = Query();
    // The item's first free active label that the grouping did not make, marked by double-click.
    TClientDataSet* labels = q->cdsEtiqueta;
    QStringList free = FreeLabels();
    free.removeAll(facts_.group.barcode);
    if (free.isEmpty())
        return R::Fail(QStringLiteral("o item %1 não tem outra etiqueta ativa sem pedido para desmembrar").arg(facts_.item));
    facts_.splitSource = ListedLabel(free.first());
    DoubleClickRow(q->dbgEtiquetaGerada, RowOf(labels, QStringLiteral("CDCODBARRAETIQ"), free.first()));
    if (Current(labels, QStringLiteral("CDCODBARRAETIQ")) != facts_.splitSource.barcode
        || Current(labels, QStringLiteral("IDCHECK")) != QLatin1String("C"))
        return R::Fail(QStringLiteral("a etiqueta %1 não ficou corrente e marcada").arg(facts_.splitSource.barcode));
    if (inEtiqMark != 1 || !q->btnDesmembrar->isEnabled() || q->btnAgrupar->isEnabled())
        return R::Fail(QStringLiteral("com uma etiqueta marcada o botão Desmembrar não ficou habilitado, ou o Agrupar ficou"));
    splitHighest_ = HighestSequence();

    modalRan_ = false;
    modalResult_ = R::Fail(QStringLiteral("a tela de desmembramento não abriu"));
    ui_.OnModal = [this](TForm* form) {
        modalRan_ = true;
        auto* split = qobject_cast<TfrmDesmembramento*>(form);
        modalResult_ = split ? WorkInSplitScreen(split)
                             : R::Fail(QStringLiteral("abriu a tela \"%1\" no lugar da de desmembramento").arg(form->Caption()));
    };
    Click(q->btnDesmembrar);
    Settle();
    if (!modalRan_ || !modalResult_.ok)
        return modalResult_;
    if (!ui_.Errors().isEmpty())
        return R::Fail(QStringLiteral("o desmembramento foi recusado: ") + ui_.Errors().join("; "));
    if (boStCriado || frmDesmembramento)
        return R::Fail(QStringLiteral("a tela de desmembramento não fechou depois de confirmada"));
    if (Current(q->cdsProdEtiq, QStringLiteral("NRSEQITPROD")) != facts_.item)
        return R::Fail(QStringLiteral("depois do desmembramento o item %1 não voltou a ser o corrente").arg(facts_.item));
    if (ListedStatus(facts_.splitSource.barcode) != QLatin1String("I"))
        return R::Fail(QStringLiteral("a etiqueta desmembrada %1 não ficou inativa").arg(facts_.splitSource.barcode));
    if (!PrintableMark(facts_.splitSource.barcode).isEmpty())
        return R::Fail(QStringLiteral("a etiqueta desmembrada %1 continua entre as imprimíveis").arg(facts_.splitSource.barcode));
    for (const TRoadLabel& expected : facts_.split) {
        const TRoadLabel listed = ListedLabel(expected.barcode);
        if (listed.barcode.isEmpty())
            return R::Fail(QStringLiteral("a nova etiqueta %1 não está na lista depois do desmembramento").arg(expected.barcode));
        if (ListedStatus(listed.barcode) != QLatin1String("A") || !SameWeight(listed.weight, expected.weight))
            return R::Fail(QStringLiteral("a nova etiqueta %1 veio com situação \"%2\" e peso %3; esperados \"A\" e %4")
                               .arg(listed.barcode, ListedStatus(listed.barcode), Weight(listed.weight), Weight(expected.weight)));
        if (PrintableMark(listed.barcode) != QLatin1String("C"))
            return R::Fail(QStringLiteral("a nova etiqueta %1 não está marcada para impressão").arg(listed.barcode));
    }
    if (ListedStatus(facts_.group.barcode) != QLatin1String("A") || PrintableMark(facts_.group.barcode) != QLatin1String("C"))
        return R::Fail(QStringLiteral("a etiqueta do agrupamento %1 não continuou ativa e marcada para impressão")
                           .arg(facts_.group.barcode));
    QStringList made;
    for (const TRoadLabel& label : facts_.split)
        made << QStringLiteral("%1 (%2 kg)").arg(label.barcode, Weight(label.weight));
    ui_.Say(QStringLiteral("etiqueta %1 desmembrada em %2").arg(facts_.splitSource.barcode, made.join(QStringLiteral(", "))));
    // The query screen as the split left it; the split screen was pictured while open.
    Pictures(6);
    return R::Ok();
}

TRoadStepResult TRoad::WorkInSplitScreen(TfrmDesmembramento* split)
{
    // The source weight as "Origem" shows it, in units of its last decimal, shared out as two
    // labels of a quarter each and one label of the rest: two batches that add up exactly.
    const QString origem = split->dbeQtdeOrig->text();
    static const QRegularExpression number(QStringLiteral("^(\\d+),(\\d+)$"));
    const QRegularExpressionMatch match = number.match(origem);
    if (!match.hasMatch())
        return R::Fail(QStringLiteral("o peso de origem \"%1\" não é um número").arg(origem));
    const int decimals = int(match.captured(2).size());
    qint64 scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    const qint64 total = match.captured(1).toLongLong() * scale + match.captured(2).toLongLong();
    const qint64 quarter = total / 4;
    const qint64 rest = total - 2 * quarter;
    if (quarter <= 0)
        return R::Fail(QStringLiteral("o peso de origem %1 é pequeno demais para desmembrar").arg(origem));
    auto text = [&](qint64 units) {
        return QStringLiteral("%1,%2").arg(units / scale).arg(units % scale, decimals, 10, QLatin1Char('0'));
    };
    Type(split->edtQtdEtiqueta, QStringLiteral("2"));
    Type(split->edtPeso, text(quarter));
    Click(split->btnGeraEtiqueta);
    Type(split->edtQtdEtiqueta, QStringLiteral("1"));
    Type(split->edtPeso, text(rest));
    // Enter in the weight box generates the batch as the button does.
    QTest::keyClick(split->edtPeso, Qt::Key_Return);
    Settle();
    if (!ui_.Errors().isEmpty())
        return R::Fail(QStringLiteral("os lotes foram recusados: ") + ui_.Errors().join("; "));
    if (split->cdsEtiqueta->RecordCount() != 2 || split->cdsInsEtiqueta->RecordCount() != 3)
        return R::Fail(QStringLiteral("a tela de desmembramento mostra %1 lotes e %2 novas etiquetas; esperados 2 e 3")
                           .arg(split->cdsEtiqueta->RecordCount())
                           .arg(split->cdsInsEtiqueta->RecordCount()));
    double accumulated = 0;
    if (!TryStrToFloat(split->dbeQtdeAcumu->text(), accumulated) || accumulated != StrToFloat(origem))
        return R::Fail(QStringLiteral("o acumulado \"%1\" difere da origem \"%2\"").arg(split->dbeQtdeAcumu->text(), origem));
    // Numbered after the item's highest sequence, the lighter labels first.
    facts_.split.clear();
    const double quarterWeight = StrToFloat(text(quarter));
    const double restWeight = StrToFloat(text(rest));
    for (int i = 1; i <= 3; ++i) {
        const QString sequence = Sequence(splitHighest_ + i);
        facts_.split << TRoadLabel{BarcodeOf(sequence), sequence, i < 3 ? quarterWeight : restWeight, i < 3 ? 2.0 : 1.0};
    }
    Pictures(6);
    ui_.Answers.enqueue(true);
    Click(split->sbtConfirmar);
    Settle();
    const QString question = QStringLiteral("Deseja confirmar o desmembramento?");
    if (!ui_.Texts(TUiEntryKind::Question).contains(question))
        return R::Fail(QStringLiteral("a confirmação não perguntou \"%1\"").arg(question));
    return R::Ok();
}

// ---------------------------------------------------------------- 7. report screen, 8. PDF

TRoadStepResult TRoad::ReportScreen()
{
    TfrmConsDesEtiq* q = Query();
    if (!q->sbtImprimir->isEnabled())
        return R::Fail(QStringLiteral("o comando de impressão está desabilitado"));
    modalRan_ = false;
    modalResult_ = R::Fail(QStringLiteral("a tela de relatório não abriu"));
    printResult_ = R::Fail(QStringLiteral("a impressão não foi feita porque a tela de relatório não estava como devia"));
    printEntries_.clear();
    ui_.OnModal = [this](TForm* form) {
        modalRan_ = true;
        auto* report = qobject_cast<TfrmRelConsDesEtiq*>(form);
        if (!report) {
            modalResult_ = R::Fail(QStringLiteral("abriu a tela \"%1\" no lugar da de relatório").arg(form->Caption()));
            return;
        }
        Settle();
        modalResult_ = CheckReportScreen(report);
        Pictures(7);
        if (!modalResult_.ok || !ui_.Errors().isEmpty())
            return;
        // Step 8 happens here, while the modal screen is open; what it shows is its own.
        const qsizetype mark = ui_.Entries.size();
        ui_.Step = QStringLiteral("passo 8");
        printResult_ = PrintFromReportScreen(report);
        Pictures(8);
        Click(report->sbtCancel);
        Settle();
        printEntries_ = ui_.Entries.mid(mark);
        ui_.Entries.resize(mark);
        ui_.Step = QStringLiteral("passo 7");
    };
    Click(q->sbtImprimir);
    Settle();
    return modalResult_;
}

TRoadStepResult TRoad::CheckReportScreen(TfrmRelConsDesEtiq* report)
{
    if (report->lblCodRel->text() != QLatin1String("EST990"))
        return R::Fail(QStringLiteral("a tela de relatório mostra o código \"%1\", não EST990").arg(report->lblCodRel->text()));
    if (report->cbbReportNames->count() == 0)
        return R::Fail(QStringLiteral("a tela de relatório não encontrou as definições do relatório EST990 (%1)")
                           .arg(TLabelSheetEngine::Directory(TSession::Instance().ReportsDirectory)));
    QStringList expected{facts_.group.barcode};
    for (const TRoadLabel& label : facts_.split)
        expected << label.barcode;
    expected.sort();
    const QStringList printSet = Column(report->cdsRelEtiquetas, QStringLiteral("CDCODBARRAETIQ"));
    if (printSet != expected)
        return R::Fail(QStringLiteral("o conjunto de impressão tem [%1]; esperadas as etiquetas novas [%2]")
                           .arg(printSet.join(QStringLiteral(", ")), expected.join(QStringLiteral(", "))));
    facts_.printSet = printSet;
    ui_.Say(QStringLiteral("conjunto de impressão: %1").arg(printSet.join(QStringLiteral(", "))));
    return R::Ok();
}

TRoadStepResult TRoad::WriteLabelPrinterZpl(TfrmRelConsDesEtiq* report)
{
    const auto definition =
        TReportCatalog::Find(report->lblCodRel->text(), TLabelSheetEngine::Directory(TSession::Instance().ReportsDirectory));
    if (!definition)
        return R::Fail(QStringLiteral("a definição do relatório EST990 não foi encontrada"));
    for (const TReportLayout& layout : definition->layouts) {
        if (!layout.IsLabelPrinter())
            continue;
        TReportRequest request = report->Request();
        request.reportName = layout.name;
        const QByteArray zpl = engine_->Zpl(request);
        const QString path = OutputPath(QStringLiteral("etiquetas-%1x%2mm.zpl").arg(layout.labelMm.width()).arg(layout.labelMm.height()));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(zpl) != zpl.size())
            return R::Fail(QStringLiteral("não foi possível gravar %1").arg(path));
        QStringList barcodes;
        for (const TZplLabels::TFormat& format : TZplLabels::Parse(zpl)) {
            if (!format.utf8 || format.barcodes.size() != 1)
                return R::Fail(QStringLiteral("uma etiqueta de %1 não declara UTF-8 (^CI28) ou não tem um código de barras")
                                   .arg(path));
            barcodes += format.barcodes;
        }
        if (barcodes != facts_.printSet)
            return R::Fail(QStringLiteral("%1 traz os códigos [%2]; esperados [%3]")
                               .arg(path, barcodes.join(QStringLiteral(", ")), facts_.printSet.join(QStringLiteral(", "))));
        ui_.Say(QStringLiteral("ZPL de \"%1\" gravado: %2 (%3 etiquetas)").arg(layout.name, path).arg(barcodes.size()));
    }
    return R::Ok();
}

TRoadStepResult TRoad::PrintFromReportScreen(TfrmRelConsDesEtiq* report)
{
    // The same labels as the label printers get them, before printing empties the print set.
    try {
        if (const R zpl = WriteLabelPrinterZpl(report); !zpl.ok)
            return zpl;
    } catch (const Exception& e) {
        return R::Fail(QStringLiteral("o ZPL das etiquetas não foi gerado: ") + e.Message());
    }
    const QString pdf = OutputPath(QStringLiteral("etiquetas.pdf"));
    QFile::remove(pdf);
    // The print dialog, answered as a clerk who prints to a file.
    engine_->Output().RunPrintDialog = [pdf](QPrintDialog& dialog) {
        dialog.printer()->setOutputFormat(QPrinter::PdfFormat);
        dialog.printer()->setOutputFileName(pdf);
        return true;
    };
    ui_.Say(QStringLiteral("imprimindo \"%1\" em %2").arg(report->cbbReportNames->currentText(), pdf));
    Click(report->sbtPrint);
    Settle();
    if (!ui_.Errors().isEmpty())
        return R::Fail(QStringLiteral("a impressão foi recusada: ") + ui_.Errors().join("; "));
    QFile file(pdf);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
        return R::Fail(QStringLiteral("o arquivo %1 não foi gravado").arg(pdf));
    const QByteArray content = file.readAll();
    if (!content.startsWith("%PDF"))
        return R::Fail(QStringLiteral("o arquivo %1 não é um PDF").arg(pdf));
    facts_.pdfPath = pdf;
    if (!report->cdsRelEtiquetas->IsEmpty())
        return R::Fail(QStringLiteral("depois da impressão o conjunto de impressão não foi esvaziado"));
    ui_.Say(QStringLiteral("PDF gravado: %1 (%2 bytes)").arg(pdf).arg(content.size()));
    return R::Ok();
}

TRoadStepResult TRoad::PrintPdf()
{
    // What the printing showed while the report screen was open counts for this step.
    ui_.Entries += printEntries_;
    printEntries_.clear();
    if (!printResult_.ok)
        return printResult_;
    if (boIdCriado || frmRelConsDesEtiq)
        return R::Fail(QStringLiteral("a tela de relatório não fechou"));
    if (!QFileInfo::exists(facts_.pdfPath))
        return R::Fail(QStringLiteral("o arquivo %1 sumiu depois de fechada a tela de relatório").arg(facts_.pdfPath));
    // Closing the report screen brings the query screen back to its first item.
    if (Query()->cdsProdEtiq->RecNo() != 1)
        return R::Fail(QStringLiteral("depois de fechada a tela de relatório o primeiro item não ficou corrente"));
    return R::Ok();
}

// ---------------------------------------------------------------- 9. scanning, marking and grouping

TRoadStepResult TRoad::ScanMarkAndGroup()
{
    TfrmConsDesEtiq* q = Query();
    const QStringList chosen = FreeLabels().mid(0, 2);
    if (chosen.size() < 2)
        return R::Fail(QStringLiteral("o item %1 não tem mais duas etiquetas ativas sem pedido").arg(facts_.item));
    // The query screen is the clerk's window again now that the report screen has closed; one
    // click on the label list, and from then on only the scanner and the space bar.
    window_->activateWindow();
    if (q->SubWindow() && TForm::MainArea())
        TForm::MainArea()->setActiveSubWindow(q->SubWindow());
    Settle();
    ClickRow(q->dbgEtiquetaGerada, 0);
    q->dbgEtiquetaGerada->setFocus();
    Settle();
    for (const QString& barcode : chosen) {
        Scan(barcode);
        Settle();
        if (!ui_.Texts(TUiEntryKind::Information).isEmpty() || !ui_.Errors().isEmpty())
            return R::Fail(QStringLiteral("a leitura de %1 mostrou \"%2\"")
                               .arg(barcode, (ui_.Texts(TUiEntryKind::Information) + ui_.Errors()).join("; ")));
        if (Current(q->cdsEtiqueta, QStringLiteral("CDCODBARRAETIQ")) != barcode)
            return R::Fail(QStringLiteral("a leitura de %1 selecionou %2")
                               .arg(barcode, Current(q->cdsEtiqueta, QStringLiteral("CDCODBARRAETIQ"))));
        if (QApplication::focusWidget() != q->dbgEtiquetaGerada)
            return R::Fail(QStringLiteral("depois da leitura de %1 o foco não foi para a lista de etiquetas (está em %2)")
                               .arg(barcode, QApplication::focusWidget() ? QApplication::focusWidget()->objectName()
                                                                         : QStringLiteral("nenhum controle")));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        Settle();
    }
    for (const QString& barcode : chosen) {
        const int r = RowOf(q->cdsEtiqueta, QStringLiteral("CDCODBARRAETIQ"), barcode);
        if (r < 0 || Cell(q->cdsEtiqueta, r, QStringLiteral("IDCHECK")) != QLatin1String("C"))
            return R::Fail(QStringLiteral("a etiqueta lida %1 não ficou marcada depois da leitura seguinte").arg(barcode));
    }
    if (inEtiqMark != 2 || !q->btnAgrupar->isEnabled())
        return R::Fail(QStringLiteral("com as duas etiquetas lidas marcadas o contador está em %1 e o botão Agrupar %2")
                           .arg(inEtiqMark)
                           .arg(q->btnAgrupar->isEnabled() ? QStringLiteral("habilitado") : QStringLiteral("desabilitado")));
    ui_.Say(QStringLiteral("etiquetas %1 e %2 lidas e marcadas uma após a outra").arg(chosen.at(0), chosen.at(1)));
    return GroupMarked(chosen, facts_.scanGrouped, facts_.scanGroup);
}

void TRoad::Scan(const QString& barcode)
{
    // As a scanner types: each character, then Enter, into whatever has the focus as it arrives.
    for (const QChar c : barcode) {
        if (QWidget* focused = QApplication::focusWidget())
            QTest::keyClick(focused, c.toLatin1());
    }
    if (QWidget* focused = QApplication::focusWidget())
        QTest::keyClick(focused, Qt::Key_Return);
}
