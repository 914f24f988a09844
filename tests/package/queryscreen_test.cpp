// The label query screen as the client opens, brings back and closes it through IniProc.

#include "modulefixture.h"

#include <QPointer>

namespace {

class QueryScreenTest : public ModuleTest {
protected:
    TfrmConsDesEtiq* Open()
    {
        IniProc();
        EXPECT_TRUE(bostcriado);
        EXPECT_NE(frmConsDesEtiq, nullptr);
        return frmConsDesEtiq;
    }
};

TEST_F(QueryScreenTest, FreshScreenStartsWithNoInvoicesTheOwnBranchNoSupplierAndFocusOnBranchList)
{
    stListaFili = QStringLiteral("_0001_0002_");
    stListaForn = QStringLiteral("_77_");
    inEtiqMark = 5;
    TfrmConsDesEtiq* screen = Open();

    EXPECT_TRUE(screen->cdsNotaFiscal->Active());
    EXPECT_EQ(screen->cdsNotaFiscal->RecordCount(), 0);
    EXPECT_EQ(stListaFili, "_0042_");
    EXPECT_EQ(stListaForn, "");
    EXPECT_EQ(inEtiqMark, 0);
    EXPECT_TRUE(screen->rdbListaFilial->hasFocus());
    EXPECT_TRUE(screen->rdbListaFilial->Checked());
    EXPECT_TRUE(screen->rdbListaForn->Checked());
    EXPECT_FALSE(screen->rdbFilialTodos->Checked());
    EXPECT_FALSE(screen->rdbFornTodos->Checked());
    EXPECT_EQ(screen->pgcPadrao->ActivePage(), screen->tshFolhaDados);
    EXPECT_TRUE(Errors().isEmpty()) << qPrintable(ui.Log().join('\n'));
}

TEST_F(QueryScreenTest, OpensAsChildWindowWithItsCaptionCodeAndPlace)
{
    TfrmConsDesEtiq* screen = Open();
    ASSERT_NE(screen->SubWindow(), nullptr);
    EXPECT_EQ(area->subWindowList().size(), 1);
    EXPECT_EQ(screen->Caption(), "Consulta/Desmembramento Etiqueta");
    EXPECT_EQ(screen->lblCodTela->text(), "Est99000");
    // With no place remembered on the workstation, the clerk's main screen fills the child-window
    // area, the main window's size.
    EXPECT_EQ(screen->SubWindow()->geometry(), area->viewport()->rect());
    EXPECT_EQ(screen->pgcPadrao->tabText(0), "Romaneio");
    EXPECT_EQ(screen->pgcPadrao->tabText(1), "Produto/Etiqueta");
    EXPECT_FALSE(screen->sbtConfirmar->isVisible());
    EXPECT_FALSE(screen->sbtCancelar->isVisible());
    EXPECT_TRUE(screen->btnDesmembrar->isVisible());
    EXPECT_TRUE(screen->btnAgrupar->isVisible());
    // A scan is never cut to the length of a label barcode.
    EXPECT_GT(screen->edtCdBarProd->maxLength(), 23);
    EXPECT_EQ(screen->msgPadrao.Msg("GetDados"), "Recebendo dados do servidor...");
}

TEST_F(QueryScreenTest, SecondIniProcBringsTheSameScreenBackRestoredAndCreatesNothing)
{
    TfrmConsDesEtiq* screen = Open();
    TNetConnection* connection = screen->netConsDesEtiq;
    // What the clerk had chosen must survive being brought back.
    stListaForn = QStringLiteral("_12_");
    screen->SetWindowState(TWindowState::wsMinimized);
    ASSERT_EQ(screen->WindowState(), TWindowState::wsMinimized);

    IniProc();

    EXPECT_EQ(frmConsDesEtiq, screen);
    EXPECT_EQ(screen->WindowState(), TWindowState::wsNormal);
    EXPECT_EQ(area->subWindowList().size(), 1);
    EXPECT_EQ(screen->netConsDesEtiq, connection);
    EXPECT_TRUE(connection->Connected());
    EXPECT_EQ(stListaForn, "_12_");
    EXPECT_EQ(area->activeSubWindow(), screen->SubWindow());
}

TEST_F(QueryScreenTest, IniProcAfterClosingCreatesANewScreenWithANewOpenConnection)
{
    QPointer<TfrmConsDesEtiq> first = Open();
    QPointer<TNetConnection> firstConnection = first->netConsDesEtiq;
    first->Close();
    EXPECT_FALSE(bostcriado);
    EXPECT_FALSE(firstConnection->Connected());
    DeleteClosedScreens();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(frmConsDesEtiq, nullptr);

    TfrmConsDesEtiq* second = Open();
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->netConsDesEtiq->Connected());
    EXPECT_EQ(area->subWindowList().size(), 1);
    EXPECT_EQ(stListaFili, "_0042_");
}

TEST_F(QueryScreenTest, ConnectionTakesServerTokenAndTimeOutsFromTheSessionEachTimeItOpens)
{
    TNetConnection* net = Open()->netConsDesEtiq;
    EXPECT_EQ(net->ServerName, "Est99000.rdmConsDesEtiq");
    EXPECT_FALSE(net->ThrowException);
    EXPECT_EQ(net->Host, "127.0.0.9");
    EXPECT_EQ(net->Port, 9123);
    EXPECT_EQ(net->AccessToken, "tk-1");
    EXPECT_EQ(net->ConnectTimeoutMs, 1200);
    EXPECT_EQ(net->ReadTimeoutMs, 3400);

    TSession::Instance().ServerHost = QStringLiteral("127.0.0.10");
    TSession::Instance().ServerPort = 9200;
    net->Close();
    net->Open();
    EXPECT_EQ(net->Host, "127.0.0.10");
    EXPECT_EQ(net->Port, 9200);
}

TEST_F(QueryScreenTest, ProductCodesGetTheSessionsMask)
{
    TfrmConsDesEtiq* screen = Open();
    EXPECT_EQ(screen->cdsProdEtiqCDARVPROD->EditMask, "99.999.999;0;_");
    EXPECT_EQ(screen->cdsProdEtiq->FieldByName("CDARVPROD"), screen->cdsProdEtiqCDARVPROD);
}

TEST_F(QueryScreenTest, ClosingReleasesTheSharedSetsInOrderAndKeepsTheLabelSet)
{
    TfrmConsDesEtiq* screen = Open();
    const QList<TClientDataSet*> sets = {screen->cdsNotaFiscal, screen->cdsProdEtiq, screen->cdsRelEtiquetas,
                                         screen->cdsAuxEtiqueta, screen->cdsEtiqueta};
    QStringList closed;
    for (TClientDataSet* set : sets) {
        if (!set->Active())
            set->CreateDataSet();
        set->BeforeClose = [&closed](TClientDataSet* s) { closed << s->objectName(); };
    }

    screen->Close();

    EXPECT_EQ(closed, QStringList({"cdsNotaFiscal", "cdsProdEtiq", "cdsRelEtiquetas", "cdsAuxEtiqueta"}));
    EXPECT_TRUE(screen->cdsEtiqueta->Active());
    // The label set goes with the screen, after this test's record of closings is gone.
    for (TClientDataSet* set : sets)
        set->BeforeClose = nullptr;
}

TEST_F(QueryScreenTest, ScreenDestroyedWithoutClosingLeavesNoDanglingSingleton)
{
    // The client ending with the screen open destroys its child windows without closing them.
    TfrmConsDesEtiq* screen = Open();
    delete screen->SubWindow();
    EXPECT_EQ(frmConsDesEtiq, nullptr);
    EXPECT_FALSE(bostcriado);

    Open();
    EXPECT_TRUE(frmConsDesEtiq->isVisible());
}

TEST_F(QueryScreenTest, BusyCursorIsGoneWhenTheScreenIsShown)
{
    Open();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    IniProc();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace
