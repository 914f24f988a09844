#include "faults/roadfixture.h"

#include "framework/progresswindow.h"
#include "framework/session.h"
#include "framework/showavi.h"
#include "labels/consdesetiqserver.h"
#include "labels/recordsets.h"
#include "package/pkg_est99000.h"
#include "support/consultascreen.h"

#include <QApplication>
#include <QJsonDocument>
#include <QTabBar>
#include <QTest>

namespace {

class TNoProgress : public TCallProgress {
public:
    void Begin(int, const QString&) override {}
    void End() override {}
};

QString Rows(const TClientDataSet* set)
{
    return QString::fromUtf8(QJsonDocument(set->Data()).toJson(QJsonDocument::Compact));
}

// The rows of a data packet, each as compact JSON.
QStringList PacketRows(const QString& packet)
{
    QStringList rows;
    for (const QJsonValue row : QJsonDocument::fromJson(packet.toUtf8()).object().value("rows").toArray())
        rows << QString::fromUtf8(QJsonDocument(row.toArray()).toJson(QJsonDocument::Compact));
    return rows;
}

// Equal packets, or a failure naming the rows that went and came.
void ExpectSameRows(const char* set, const QString& now, const QString& before)
{
    if (now == before)
        return;
    const QStringList was = PacketRows(before), is = PacketRows(now);
    QStringList gone, came;
    for (const QString& row : was)
        if (!is.contains(row))
            gone << row;
    for (const QString& row : is)
        if (!was.contains(row))
            came << row;
    ADD_FAILURE() << set << " changed (" << was.size() << " rows, now " << is.size() << ")\n  gone: "
                  << gone.join("\n        ").toStdString() << "\n  came: " << came.join("\n        ").toStdString();
}

} // namespace

QString DemoBarcode(const QString& item, const QString& sequence)
{
    return kFilial + kNota + item + sequence;
}

void TRoadUi::ShowProgress(QWidget* owner, int kind, const QString& caption)
{
    TRecordingUiServices::ShowProgress(owner, kind, caption);
    if (!screen_)
        screen_ = QApplication::activeWindow();
    real_.ShowProgress(owner, kind, caption);
}

void TRoadUi::HideProgress()
{
    TRecordingUiServices::HideProgress();
    real_.HideProgress();
    // The offscreen platform activates every window it shows, the progress window too, and
    // gives the activation back to nobody; a window manager gives it back to the screen.
    if (screen_ && !QApplication::activeWindow())
        QApplication::setActiveWindow(screen_);
    screen_ = nullptr;
}

void RoadTest::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    database = dir.filePath(QStringLiteral("est99000.db"));
    TSession& session = TSession::Instance();
    session.Branch = kFilial;
    session.ServerHost = QStringLiteral("127.0.0.1");
    session.AccessToken.clear();
    session.ProductCodeMask.clear();
    session.ConnectTimeoutMs = TNetConnection::DefaultConnectTimeoutMs;
    session.ReadTimeoutMs = TNetConnection::DefaultReadTimeoutMs;
}

void RoadTest::TearDown()
{
    if (tela) {
        CloseQueryScreen(tela, ui);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    inEtiqMark = 0;
    server.Stop();
    TSession::Instance().ReadTimeoutMs = TNetConnection::DefaultReadTimeoutMs;
}

void RoadTest::StartServer(int port, const QStringList& extra)
{
    QStringList args{QStringLiteral("--database"), database, QStringLiteral("--init-demo")};
    if (port)
        args << QStringLiteral("--port") << QString::number(port);
    ASSERT_TRUE(server.Start(args + extra)) << server.Error().toStdString();
}

void RoadTest::OpenScreen(int port)
{
    TSession::Instance().ServerPort = port;
    OpenQueryScreen(tela, ui);
}

void RoadTest::Click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(4, widget->height() / 2));
}

void RoadTest::ClickTab(TTabSheet* page)
{
    auto* bar = tela->pgcPadrao->findChild<QTabBar*>();
    ASSERT_NE(bar, nullptr);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page->PageIndex()).center());
}

void RoadTest::SearchAll()
{
    Click(tela->rdbFilialTodos);
    Click(tela->rdbFornTodos);
    Click(tela->dbgPadrao->viewport());
}

void RoadTest::ChooseDemoInvoice()
{
    ClickInvoice(tela, kFilial, kNota);
}

void RoadTest::OpenDemoLabels()
{
    SearchAll();
    ASSERT_TRUE(Errors().isEmpty()) << Log().toStdString();
    ChooseDemoInvoice();
    ASSERT_EQ(Current(tela->cdsNotaFiscal, "NRLANCTONF"), kNota);
    ClickTab(tela->tshFormulario);
    ASSERT_TRUE(Errors().isEmpty()) << Log().toStdString();
    ASSERT_EQ(Current(tela->cdsProdEtiq, "NRSEQITPROD"), QStringLiteral("0001"));
    ASSERT_EQ(ListedLabels().size(), 6);
    ui.Clear();
}

void RoadTest::MarkLabels(const QList<int>& rows)
{
    TDBGrid* grid = tela->dbgEtiquetaGerada;
    for (int row : rows) {
        const QPoint at = grid->visualRect(grid->model()->index(row, 1)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    }
}

void RoadTest::Group()
{
    ASSERT_TRUE(tela->btnAgrupar->isEnabled());
    ui.Answers.enqueue(true);
    Click(tela->btnAgrupar);
}

void RoadTest::Refresh()
{
    ASSERT_TRUE(tela->sbtVerificar->isEnabled());
    Click(tela->sbtVerificar);
}

TScreenState RoadTest::State() const
{
    TScreenState s;
    s.invoices = Rows(tela->cdsNotaFiscal);
    s.items = Rows(tela->cdsProdEtiq);
    s.labels = Rows(tela->cdsEtiqueta);
    s.buffer = Rows(tela->cdsAuxEtiqueta);
    s.printable = Rows(tela->cdsRelEtiquetas);
    s.invoice = tela->cdsNotaFiscal->RecNo();
    s.item = tela->cdsProdEtiq->RecNo();
    s.label = tela->cdsEtiqueta->RecNo();
    s.marks = inEtiqMark;
    s.bufferChanges = tela->cdsAuxEtiqueta->ChangeCount();
    return s;
}

void RoadTest::ExpectState(const TScreenState& before) const
{
    const TScreenState now = State();
    ExpectSameRows("invoices", now.invoices, before.invoices);
    ExpectSameRows("items", now.items, before.items);
    ExpectSameRows("labels", now.labels, before.labels);
    ExpectSameRows("grouping buffer", now.buffer, before.buffer);
    EXPECT_EQ(now.bufferChanges, before.bufferChanges) << "grouping buffer changed";
    ExpectSameRows("printable labels", now.printable, before.printable);
    EXPECT_EQ(now.invoice, before.invoice) << "another invoice is current";
    EXPECT_EQ(now.item, before.item) << "another item is current";
    EXPECT_EQ(now.label, before.label) << "another label is current";
    EXPECT_EQ(now.marks, before.marks) << "inEtiqMark changed";
}

QMap<QString, TStoredLabel> RoadTest::StoredLabels(int port) const
{
    TNetConnection connection;
    connection.ServerName = QLatin1String(kConsDesEtiqServerName);
    connection.Host = QStringLiteral("127.0.0.1");
    connection.Port = port;
    TNoProgress progress;
    TClientDataSet items, labels;
    DefineProdEtiq(items);
    DefineEtiquetaConsulta(labels);
    TConsDesEtiqServer(connection, progress).GetProduto(kFilial, kNota, items, labels);
    QMap<QString, TStoredLabel> stored;
    for (labels.First(); !labels.Eof(); labels.Next()) {
        if (labels.FieldByName(QStringLiteral("NRSEQITPROD"))->AsString() != QLatin1String("0001"))
            continue;
        stored.insert(labels.FieldByName(QStringLiteral("CDCODBARRAETIQ"))->AsString(),
                      {labels.FieldByName(QStringLiteral("IDSTATUSETIQ"))->AsString(),
                       labels.FieldByName(QStringLiteral("VRPESOETIQ"))->AsFloat()});
    }
    return stored;
}

QStringList RoadTest::ListedLabels() const
{
    return ListedBarcodes(tela);
}

QString RoadTest::Current(TClientDataSet* set, const char* field) const
{
    return CurrentText(set, field);
}

void RoadTest::ExpectNothingLeftRunning() const
{
    const QStringList shown = ui.Texts(TUiEntryKind::ProgressShow);
    EXPECT_FALSE(shown.isEmpty()) << "no progress animation: " << Log().toStdString();
    QList<TUiEntryKind> progress;
    for (const TUiEntry& entry : ui.Entries) {
        if (entry.kind == TUiEntryKind::ProgressShow || entry.kind == TUiEntryKind::ProgressHide)
            progress << entry.kind;
    }
    EXPECT_TRUE(!progress.isEmpty() && progress.last() == TUiEntryKind::ProgressHide) << Log().toStdString();
    EXPECT_EQ(ShowAviDepth(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "busy cursor left on";
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (qobject_cast<TProgressWindow*>(window)) {
            EXPECT_FALSE(window->isVisible()) << "progress window left up";
        }
    }
}
