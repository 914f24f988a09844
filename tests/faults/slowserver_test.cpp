// An application server that answers later than the session's read time-out: the clerk is told
// so, nothing is loaded from the late answer, and the screen works on the next action.

#include "faults/faultproxy.h"
#include "faults/roadfixture.h"

#include "framework/session.h"
#include "package/pkg_est99000.h"

namespace {

constexpr int kReadTimeoutMs = 1000;
const QString kTimedOut = QStringLiteral("O servidor de aplicação não respondeu em 1 segundo.");

class SlowServer : public RoadTest {
protected:
    void SetUp() override
    {
        RoadTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(StartServer());
        proxy = std::make_unique<TFaultProxy>(server.Port());
        TSession::Instance().ReadTimeoutMs = kReadTimeoutMs;
        ASSERT_NO_FATAL_FAILURE(OpenScreen(proxy->Port()));
    }

    void TearDown() override
    {
        RoadTest::TearDown();
        proxy.reset();
    }

    // The answer to the next call of `method` comes three read time-outs late.
    void Slow(const QString& method, bool reachesServer)
    {
        TFault fault;
        fault.method = method;
        fault.reachesServer = reachesServer;
        fault.delayMs = 3 * kReadTimeoutMs;
        proxy->Arm(fault);
    }

    std::unique_ptr<TFaultProxy> proxy;
};

} // namespace

TEST_F(SlowServer, ASlowSearchTimesOutLoadsNothingAndTheNextSearchWorks)
{
    Slow(QStringLiteral("GetNFEtiqueta"), true);
    SearchAll();
    EXPECT_EQ(Errors(), QStringList{kTimedOut}) << Log().toStdString();
    EXPECT_EQ(ui.Texts(TUiEntryKind::ProgressShow), QStringList{QStringLiteral("Recebendo dados do servidor...")});
    ExpectNothingLeftRunning();
    EXPECT_TRUE(tela->cdsNotaFiscal->IsEmpty());
    EXPECT_FALSE(tela->tshFormulario->PageEnabled());

    ui.Clear();
    SearchAll();
    EXPECT_TRUE(Errors().isEmpty()) << Log().toStdString();
    EXPECT_EQ(tela->cdsNotaFiscal->RecordCount(), 41);
    ExpectNothingLeftRunning();
}

TEST_F(SlowServer, SlowItemsKeepTheLabelsOnScreenAndTheNextRefreshWorks)
{
    ASSERT_NO_FATAL_FAILURE(OpenDemoLabels());
    MarkLabels({2});
    const TScreenState before = State();
    Slow(QStringLiteral("GetProduto"), true);
    ASSERT_NO_FATAL_FAILURE(Refresh());
    EXPECT_EQ(Errors(), QStringList{kTimedOut}) << Log().toStdString();
    ExpectNothingLeftRunning();
    ExpectState(before);
    EXPECT_TRUE(tela->btnDesmembrar->isEnabled());

    ui.Clear();
    ASSERT_NO_FATAL_FAILURE(Refresh());
    EXPECT_TRUE(Errors().isEmpty()) << Log().toStdString();
    EXPECT_EQ(ListedLabels().size(), 6);
    EXPECT_EQ(inEtiqMark, 0);
}

TEST_F(SlowServer, AGroupingThatNeverReachedTheServerIsReportedAndTheLabelsStay)
{
    ASSERT_NO_FATAL_FAILURE(OpenDemoLabels());
    MarkLabels({0, 1});
    const QMap<QString, TStoredLabel> stored = StoredLabels(server.Port());
    Slow(QStringLiteral("setEtiqueta"), false);
    ASSERT_NO_FATAL_FAILURE(Group());
    EXPECT_EQ(Errors(), QStringList{kTimedOut}) << Log().toStdString();
    EXPECT_TRUE(ui.Texts(TUiEntryKind::Information).isEmpty());
    EXPECT_EQ(ui.ProgressKinds, (QList<int>{6, 1}));
    ExpectNothingLeftRunning();
    // The refresh read the server again: the same six labels, none marked.
    EXPECT_EQ(ListedLabels().size(), 6);
    EXPECT_EQ(inEtiqMark, 0);
    EXPECT_EQ(tela->cdsAuxEtiqueta->ChangeCount(), 0);
    EXPECT_FALSE(tela->cdsRelEtiquetas->Locate(QStringLiteral("CDCODBARRAETIQ"),
                                               {DemoBarcode("0001", "00007")}));
    EXPECT_EQ(StoredLabels(server.Port()).keys(), stored.keys());

    ui.Clear();
    MarkLabels({0, 1});
    ASSERT_NO_FATAL_FAILURE(Group());
    EXPECT_TRUE(Errors().isEmpty()) << Log().toStdString();
    EXPECT_EQ(StoredLabels(server.Port()).value(DemoBarcode("0001", "00007")).status, QStringLiteral("A"));
}

TEST_F(SlowServer, AGroupingAnsweredTooLateIsReportedAndTheScreenShowsWhatTheServerDid)
{
    ASSERT_NO_FATAL_FAILURE(OpenDemoLabels());
    MarkLabels({0, 1});
    Slow(QStringLiteral("setEtiqueta"), true);
    ASSERT_NO_FATAL_FAILURE(Group());
    EXPECT_EQ(Errors(), QStringList{kTimedOut}) << Log().toStdString();
    EXPECT_TRUE(ui.Texts(TUiEntryKind::Information).isEmpty());
    ExpectNothingLeftRunning();
    // The server did group: the refresh shows the new label, selected, and printable.
    const QString nova = DemoBarcode("0001", "00007");
    EXPECT_EQ(Current(tela->cdsEtiqueta, "CDCODBARRAETIQ"), nova);
    EXPECT_EQ(StoredLabels(server.Port()).value(nova).status, QStringLiteral("A"));
    EXPECT_TRUE(tela->cdsRelEtiquetas->Locate(QStringLiteral("CDCODBARRAETIQ"), {nova}));
    EXPECT_EQ(inEtiqMark, 0);
}
