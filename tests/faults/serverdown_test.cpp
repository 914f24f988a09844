// The application server out of reach: not started yet when the screen opens, or stopped in the
// middle of a session and started again on the same database and port.

#include "faults/roadfixture.h"

#include "package/pkg_est99000.h"
#include "support/consultascreen.h"
#include "support/freeport.h"

#include <QTest>

namespace {

QString Unreachable(int port)
{
    return QStringLiteral("Não foi possível conectar ao servidor de aplicação em 127.0.0.1:%1.").arg(port);
}

class ServerDown : public RoadTest {
protected:
    // The demonstration labels on screen with 00001 and 00002 of item 0001 marked, then the
    // server stopped.
    void MarkTwoAndStopTheServer()
    {
        ASSERT_NO_FATAL_FAILURE(StartServer());
        port = server.Port();
        ASSERT_NO_FATAL_FAILURE(OpenScreen(port));
        ASSERT_NO_FATAL_FAILURE(OpenDemoLabels());
        MarkLabels({0, 1});
        ASSERT_EQ(inEtiqMark, 2);
        before = State();
        ASSERT_EQ(server.Stop(), 0);
        ui.Clear();
    }

    void StartAgain() { StartServer(port); }

    int port = 0;
    TScreenState before;
};

} // namespace

TEST_F(ServerDown, ASearchBeforeTheServerIsUpSaysItCannotBeReachedAndTheNextOneWorks)
{
    port = FreeLoopbackPort();
    ASSERT_NO_FATAL_FAILURE(OpenScreen(port));
    SearchAll();
    EXPECT_EQ(Errors(), QStringList{Unreachable(port)}) << Log().toStdString();
    EXPECT_EQ(ui.ProgressKinds, QList<int>{1});
    ExpectNothingLeftRunning();
    EXPECT_TRUE(tela->cdsNotaFiscal->IsEmpty());
    EXPECT_FALSE(tela->tshFormulario->PageEnabled());
    EXPECT_TRUE(tela->cdsProdEtiq->IsEmpty());
    EXPECT_TRUE(tela->cdsRelEtiquetas->IsEmpty());

    ASSERT_NO_FATAL_FAILURE(StartServer(port));
    ui.Clear();
    SearchAll();
    EXPECT_TRUE(Errors().isEmpty()) << Log().toStdString();
    EXPECT_EQ(tela->cdsNotaFiscal->RecordCount(), 41);
    EXPECT_TRUE(tela->tshFormulario->PageEnabled());
    EXPECT_TRUE(tela->sbtVerificar->isEnabled());
    ExpectNothingLeftRunning();
}

TEST_F(ServerDown, GroupingWhileTheServerIsDownKeepsTheScreenAsItWasAndWorksAfterTheRestart)
{
    ASSERT_NO_FATAL_FAILURE(MarkTwoAndStopTheServer());
    ASSERT_NO_FATAL_FAILURE(Group());
    // One message: the refresh after the failed send fails the same way and adds nothing.
    EXPECT_EQ(Errors(), QStringList{Unreachable(port)}) << Log().toStdString();
    EXPECT_TRUE(ui.Texts(TUiEntryKind::Information).isEmpty());
    ExpectNothingLeftRunning();
    ExpectState(before);
    EXPECT_TRUE(tela->btnAgrupar->isEnabled());

    ASSERT_NO_FATAL_FAILURE(StartAgain());
    ui.Clear();
    ASSERT_NO_FATAL_FAILURE(Group());
    EXPECT_TRUE(Errors().isEmpty()) << Log().toStdString();
    EXPECT_EQ(ui.Texts(TUiEntryKind::Information), QStringList{QStringLiteral("Agrupamento realizado com sucesso.")});
    const QString nova = DemoBarcode(QStringLiteral("0001"), QStringLiteral("00007"));
    EXPECT_EQ(Current(tela->cdsEtiqueta, "CDCODBARRAETIQ"), nova);
    EXPECT_EQ(inEtiqMark, 0);
    EXPECT_EQ(tela->cdsAuxEtiqueta->ChangeCount(), 0);
    const QMap<QString, TStoredLabel> stored = StoredLabels(port);
    EXPECT_EQ(stored.size(), 7);
    EXPECT_EQ(stored.value(DemoBarcode("0001", "00001")).status, QStringLiteral("I"));
    EXPECT_EQ(stored.value(DemoBarcode("0001", "00002")).status, QStringLiteral("I"));
    EXPECT_EQ(stored.value(nova).status, QStringLiteral("A"));
    EXPECT_DOUBLE_EQ(stored.value(nova).weight, 12.345 + 11.87);
}

TEST_F(ServerDown, ARefreshWhileTheServerIsDownKeepsLabelsAndMarksAndTheNextOneReadsTheServer)
{
    ASSERT_NO_FATAL_FAILURE(MarkTwoAndStopTheServer());
    ASSERT_NO_FATAL_FAILURE(Refresh());
    EXPECT_EQ(Errors(), QStringList{Unreachable(port)}) << Log().toStdString();
    ExpectNothingLeftRunning();
    ExpectState(before);

    ASSERT_NO_FATAL_FAILURE(StartAgain());
    ui.Clear();
    ASSERT_NO_FATAL_FAILURE(Refresh());
    EXPECT_TRUE(Errors().isEmpty()) << Log().toStdString();
    EXPECT_EQ(inEtiqMark, 0);
    EXPECT_EQ(ListedLabels().size(), 6);
    EXPECT_FALSE(tela->cdsEtiqueta->Locate(QStringLiteral("IDCHECK"), {QStringLiteral("C")}));
}

TEST_F(ServerDown, AnotherInvoicesLabelsWhileTheServerIsDownAreNotShownUnderTheWrongInvoice)
{
    ASSERT_NO_FATAL_FAILURE(StartServer());
    port = server.Port();
    ASSERT_NO_FATAL_FAILURE(OpenScreen(port));
    ASSERT_NO_FATAL_FAILURE(OpenDemoLabels());
    ClickTab(tela->tshFolhaDados);
    ASSERT_EQ(server.Stop(), 0);
    ui.Clear();

    // The clerk moves to the next invoice and opens its labels.
    tela->dbgPadrao->setFocus();
    QTest::keyClick(tela->dbgPadrao, Qt::Key_Down);
    const QString outra = Current(tela->cdsNotaFiscal, "NRLANCTONF");
    ASSERT_NE(outra, kNota);
    ClickTab(tela->tshFormulario);
    EXPECT_EQ(Errors(), QStringList{Unreachable(port)}) << Log().toStdString();
    ExpectNothingLeftRunning();
    // Whatever the page lists now belongs to the invoice that is current.
    for (int r = 1; r <= tela->cdsProdEtiq->RecordCount(); ++r) {
        TRecordPeek peek(tela->cdsProdEtiq, r);
        EXPECT_EQ(Current(tela->cdsProdEtiq, "NRLANCTONF"), outra);
    }
    EXPECT_TRUE(tela->cdsEtiqueta->IsEmpty() || Current(tela->cdsEtiqueta, "NRLANCTONF") == outra);
    EXPECT_FALSE(tela->btnAgrupar->isEnabled());
    EXPECT_FALSE(tela->sbtImprimir->isEnabled());

    ASSERT_NO_FATAL_FAILURE(StartAgain());
    ui.Clear();
    ASSERT_NO_FATAL_FAILURE(Refresh());
    EXPECT_TRUE(Errors().isEmpty()) << Log().toStdString();
    ASSERT_FALSE(tela->cdsProdEtiq->IsEmpty());
    EXPECT_EQ(Current(tela->cdsProdEtiq, "NRLANCTONF"), outra);
}

// Scanning works on the labels already read, so a server out of reach changes nothing: the
// ticks, the counter and the commands agree throughout, and the grouping goes through once the
// server is back.
TEST_F(ServerDown, ScanningWhileTheServerIsDownKeepsTheMarksAndTheCommandsAgreeWithThem)
{
    ASSERT_NO_FATAL_FAILURE(MarkTwoAndStopTheServer());
    tela->edtCdBarProd->setFocus();
    ScanBarcode(DemoBarcode(QStringLiteral("0001"), QStringLiteral("00002")));
    EXPECT_TRUE(Errors().isEmpty()) << Log().toStdString();
    EXPECT_EQ(Current(tela->cdsEtiqueta, "CDCODBARRAETIQ"), DemoBarcode("0001", "00002"));
    EXPECT_EQ(TickedBarcodes(tela), (QStringList{DemoBarcode("0001", "00001"), DemoBarcode("0001", "00002")}));
    EXPECT_EQ(inEtiqMark, 2);
    EXPECT_TRUE(tela->btnAgrupar->isEnabled());
    // A refresh that fails keeps them as well.
    ASSERT_NO_FATAL_FAILURE(Refresh());
    EXPECT_EQ(Errors(), QStringList{Unreachable(port)});
    EXPECT_EQ(inEtiqMark, 2);
    ASSERT_NO_FATAL_FAILURE(StartAgain());
    // Unmarking and marking again count as the ticks do.
    QTest::keyClick(tela->dbgEtiquetaGerada, Qt::Key_Space);
    EXPECT_EQ(inEtiqMark, 1);
    EXPECT_TRUE(tela->btnDesmembrar->isEnabled());
    QTest::keyClick(tela->dbgEtiquetaGerada, Qt::Key_Space);
    ui.Clear();
    ASSERT_NO_FATAL_FAILURE(Group());
    EXPECT_TRUE(Errors().isEmpty()) << Log().toStdString();
    EXPECT_EQ(StoredLabels(port).value(DemoBarcode("0001", "00002")).status, QStringLiteral("I"));
}
