// The query screen against the reference application server with its demonstration data: the
// search, the items page, and a grouping that two clients contend for. With EST_SCREENSHOT_DIR
// set, the two pages are also written there as pictures.

#include "consultafixture.h"

#include "framework/hostdatabase.h"
#include "framework/session.h"
#include "host/serverprocess/serverprocess.h"
#include "labels/consdesetiqserver.h"
#include "labels/recordsets.h"
#include "package/pkg_est99000.h"
#include "support/consultascreen.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kNota1 = QStringLiteral("0000000001");

class TNoProgress : public TCallProgress {
public:
    void Begin(int, const QString&) override {}
    void End() override {}
};

// One label as the server holds it now: status, weight and sequence.
struct TStoredLabel {
    QString status;
    double weight = 0;
    QString sequence;
};

} // namespace

class Servidor : public ConsultaTest {
protected:
    QTemporaryDir dir;
    TServerProcess process;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        const QString database = dir.filePath(QStringLiteral("est99000.db"));
        ASSERT_TRUE(process.Start({QStringLiteral("--database"), database, QStringLiteral("--init-demo")}))
            << process.Error().toStdString();
        // The lookups read the server's database.
        TSession::Instance().DatabaseConnection = database;
        dtmDBGeral().Connect(database);
        ConsultaTest::SetUp();
    }

    int ServerPort() const override { return process.Port(); }

    void TearDown() override
    {
        ConsultaTest::TearDown();
        dtmDBGeral().Disconnect();
        process.Stop();
    }

    // The labels of an item of invoice 0001/0000000001 as the server holds them, by barcode.
    QMap<QString, TStoredLabel> StoredLabels(const QString& item)
    {
        TNetConnection connection;
        connection.ServerName = QLatin1String(kConsDesEtiqServerName);
        connection.Host = QStringLiteral("127.0.0.1");
        connection.Port = process.Port();
        TNoProgress progress;
        TConsDesEtiqServer server(connection, progress);
        TClientDataSet items, labels;
        DefineProdEtiq(items);
        DefineEtiquetaConsulta(labels);
        server.GetProduto(QStringLiteral("0001"), kNota1, items, labels);
        QMap<QString, TStoredLabel> stored;
        for (labels.First(); !labels.Eof(); labels.Next()) {
            if (labels.FieldByName(QStringLiteral("NRSEQITPROD"))->AsString() != item)
                continue;
            stored.insert(labels.FieldByName(QStringLiteral("CDCODBARRAETIQ"))->AsString(),
                          {labels.FieldByName(QStringLiteral("IDSTATUSETIQ"))->AsString(),
                           labels.FieldByName(QStringLiteral("VRPESOETIQ"))->AsFloat(),
                           labels.FieldByName(QStringLiteral("NRSEQETIQ"))->AsString()});
        }
        return stored;
    }

    // Makes an invoice current by clicking its row in the invoice grid.
    void ChooseInvoice(const QString& cdFilial, const QString& nrLanctoNf)
    {
        ASSERT_NO_FATAL_FAILURE(ClickInvoice(tela, cdFilial, nrLanctoNf));
        ASSERT_EQ(Current(tela->cdsNotaFiscal, "NRLANCTONF"), nrLanctoNf);
    }

    void Use(TfrmConsDesEtiq* screen)
    {
        tela = screen;
        tela->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(tela));
    }

    // Groups the marked labels, answering yes, and checks the clerk is told it worked and the
    // new label of item 0001 (sequence 00007) is current; returns its barcode.
    QString GroupOnTheServer()
    {
        ui.Answers.enqueue(true);
        ui.Clear();
        Click(tela->btnAgrupar);
        EXPECT_EQ(ui.Texts(TUiEntryKind::Information), QStringList{QStringLiteral("Agrupamento realizado com sucesso.")})
            << ui.Log().join('\n').toStdString();
        const QString nova = Barcode(kNota1, "0001", "00007");
        EXPECT_EQ(Current(tela->cdsEtiqueta, "CDCODBARRAETIQ"), nova);
        return nova;
    }

    void SavePicture(const QString& name)
    {
        const QString target = qEnvironmentVariable("EST_SCREENSHOT_DIR");
        QCoreApplication::processEvents();
        const QImage picture = tela->grab().toImage();
        ASSERT_FALSE(picture.isNull());
        if (target.isEmpty())
            return;
        ASSERT_TRUE(picture.save(QDir(target).filePath(name)));
    }
};

TEST_F(Servidor, ASearchWithTodosListsTheDemoInvoicesWithTheirFooters)
{
    SearchAll();
    ASSERT_TRUE(ui.Texts(TUiEntryKind::Error).isEmpty()) << ui.Log().join('\n').toStdString();
    EXPECT_EQ(tela->cdsNotaFiscal->RecordCount(), 41);
    EXPECT_TRUE(tela->cdsNotaFiscal->Locate(QStringLiteral("NRNOTAFISC"), {QStringLiteral("458213")}));
    EXPECT_EQ(tela->dbtNome->text(), QStringLiteral("Recebido na doca 2 - conferência cega"));
    EXPECT_TRUE(tela->tshFormulario->PageEnabled());
    tela->cdsNotaFiscal->First();
    SavePicture(QStringLiteral("consulta-romaneio.png"));
}

TEST_F(Servidor, EnteringTheItemsPageListsTheInvoicesItemsAndEachItemsLabels)
{
    SearchAll();
    ChooseInvoice(QStringLiteral("0001"), kNota1);
    ClickTab(tela->tshFormulario);
    ASSERT_TRUE(ui.Texts(TUiEntryKind::Error).isEmpty()) << ui.Log().join('\n').toStdString();
    EXPECT_EQ(tela->cdsProdEtiq->RecordCount(), 4);
    EXPECT_EQ(Current(tela->cdsProdEtiq, "NMPRODUTO"), QStringLiteral("Queijo mussarela peça"));
    EXPECT_EQ(ListedLabels().size(), 6);
    ClickItem(1);
    EXPECT_EQ(ListedLabels().size(), 3);
    ClickItem(2);
    EXPECT_TRUE(ListedLabels().isEmpty());
    EXPECT_FALSE(tela->sbtImprimir->isEnabled());
}

TEST_F(Servidor, GroupingLeavesTheSourcesInactiveAndANewLabelThatASecondClientCannotContest)
{
    // The second clerk reads the same invoice before the first one groups.
    auto* segunda = CreateForm<TfrmConsDesEtiq>();
    segunda->Show();
    TfrmConsDesEtiq* primeira = tela;
    Use(segunda);
    SearchAll();
    ChooseInvoice(QStringLiteral("0001"), kNota1);
    ClickTab(segunda->tshFormulario);
    ASSERT_EQ(ListedLabels().size(), 6);

    Use(primeira);
    SearchAll();
    ChooseInvoice(QStringLiteral("0001"), kNota1);
    ClickTab(tela->tshFormulario);
    MarkLabels({0, 1});
    const QString nova = GroupOnTheServer();
    EXPECT_EQ(Focused(), tela->dbgEtiquetaGerada);

    QMap<QString, TStoredLabel> stored = StoredLabels(QStringLiteral("0001"));
    EXPECT_EQ(stored.value(Barcode(kNota1, "0001", "00001")).status, QStringLiteral("I"));
    EXPECT_EQ(stored.value(Barcode(kNota1, "0001", "00002")).status, QStringLiteral("I"));
    ASSERT_TRUE(stored.contains(nova));
    EXPECT_EQ(stored.value(nova).status, QStringLiteral("A"));
    EXPECT_EQ(stored.value(nova).sequence, QStringLiteral("00007"));
    EXPECT_DOUBLE_EQ(stored.value(nova).weight, 12.345 + 11.87);
    EXPECT_EQ(stored.size(), 7);

    // The second clerk still sees 00001 active and groups it with 00003.
    Use(segunda);
    MarkLabels({0, 2});
    ui.Answers.enqueue(true);
    ui.Clear();
    Click(segunda->btnAgrupar);
    EXPECT_EQ(ui.Texts(TUiEntryKind::Error),
              QStringList{QStringLiteral("A etiqueta %1 já está inativa.").arg(Barcode(kNota1, "0001", "00001"))});
    EXPECT_TRUE(ui.Texts(TUiEntryKind::Information).isEmpty());
    const QMap<QString, TStoredLabel> after = StoredLabels(QStringLiteral("0001"));
    EXPECT_EQ(after.size(), 7);
    EXPECT_EQ(after.value(Barcode(kNota1, "0001", "00003")).status, QStringLiteral("A"));
    // Its screen now shows the server's state.
    EXPECT_EQ(ListedLabels().size(), 7);

    segunda->Close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Use(primeira);
    bostcriado = true;
}

TEST_F(Servidor, TheItemsPageShowsLabelsOfEveryStatusWithSomeMarked)
{
    SearchAll();
    ChooseInvoice(QStringLiteral("0001"), QStringLiteral("0000000007"));
    ClickTab(tela->tshFormulario);
    QStringList statuses;
    for (int r = 1; r <= tela->cdsEtiqueta->RecordCount(); ++r) {
        TRecordPeek peek(tela->cdsEtiqueta, r);
        statuses << tela->cdsEtiqueta->FieldByName(QStringLiteral("IDSTATUSETIQ"))->AsString();
    }
    EXPECT_TRUE(statuses.contains("A") && statuses.contains("R") && statuses.contains("I")) << statuses.join(',').toStdString();
    MarkLabels({1, 3});
    EXPECT_EQ(inEtiqMark, 2);
    EXPECT_TRUE(tela->btnAgrupar->isEnabled());
    SavePicture(QStringLiteral("consulta-etiquetas.png"));
}

// The clerk scans a label, marks it with Space, scans the next one into the label grid and
// marks it too, then groups: both marks are kept through the scans and the server applies the
// grouping.
TEST_F(Servidor, TwoLabelsScannedAndMarkedOneAfterTheOtherAreGroupedOnTheServer)
{
    SearchAll();
    ChooseInvoice(QStringLiteral("0001"), kNota1);
    ClickTab(tela->tshFormulario);
    ClickItem(2);
    const QStringList scanned{Barcode(kNota1, "0001", "00003"), Barcode(kNota1, "0001", "00005")};
    Click(tela->edtCdBarProd);
    for (const QString& barcode : scanned) {
        Scan(barcode);
        ASSERT_EQ(Current(tela->cdsEtiqueta, "CDCODBARRAETIQ"), barcode) << ui.Log().join('\n').toStdString();
        Key(Focused(), Qt::Key_Space);
    }
    EXPECT_EQ(TickedBarcodes(tela), scanned);
    EXPECT_EQ(inEtiqMark, 2);
    ASSERT_TRUE(tela->btnAgrupar->isEnabled());

    const QString nova = GroupOnTheServer();
    const QMap<QString, TStoredLabel> stored = StoredLabels(QStringLiteral("0001"));
    for (const QString& barcode : scanned)
        EXPECT_EQ(stored.value(barcode).status, QStringLiteral("I")) << barcode.toStdString();
    EXPECT_EQ(stored.value(nova).status, QStringLiteral("A"));
    EXPECT_DOUBLE_EQ(stored.value(nova).weight, 13.002 + 10.25);
}
