// The filter panel and the invoice search: what leaving the panel checks, what the search
// sends the server, and what the invoice page shows afterwards.

#include "consultafixture.h"

#include "framework/hostdatabase.h"
#include "framework/session.h"
#include "labels/nfetiquetafilter.h"
#include "labels/recordsets.h"
#include "package/pkg_est99000.h"
#include "support/consultascreen.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList Texts(const QList<TVariant>& args)
{
    QStringList texts;
    for (const TVariant& arg : args)
        texts << (arg.kind() == TVariant::Kind::String ? arg.AsString() : QStringLiteral("<date>"));
    return texts;
}

} // namespace

class Filtro : public ConsultaTest {
protected:
    void SetUp() override
    {
        ConsultaTest::SetUp();
        LoadDemo();
    }

    // The arguments of the last invoice search, as texts (the dates as "<date>").
    QStringList LastSearch() const
    {
        const QList<TFakeCall> calls = server.Calls(QStringLiteral("GetNFEtiqueta"));
        return calls.isEmpty() ? QStringList() : Texts(calls.last().params);
    }

    void TypeDate(TDateEditPlus* edit, const QString& text)
    {
        edit->Editor()->setFocus();
        QTest::keyClicks(edit->Editor(), text);
    }
};

TEST_F(Filtro, OpeningShowsTheEmptyInvoicePageWithTheOwnBranchListed)
{
    EXPECT_EQ(Focused(), tela->rdbListaFilial);
    EXPECT_EQ(stListaFili, QStringLiteral("_0001_"));
    EXPECT_TRUE(stListaForn.isEmpty());
    EXPECT_TRUE(tela->cdsNotaFiscal->IsEmpty());
    EXPECT_EQ(tela->pgcPadrao->ActivePage(), tela->tshFolhaDados);
    EXPECT_FALSE(tela->tshFormulario->PageEnabled());
    EXPECT_FALSE(tela->sbtVerificar->isEnabled());
    EXPECT_FALSE(tela->mniVerificar->isEnabled());
}

TEST_F(Filtro, LeavingThePanelWithoutASupplierListStopsThereWithTheFocusOnTheSupplierOption)
{
    Click(tela->dbgPadrao->viewport());
    EXPECT_EQ(ui.Log(), QStringList{QStringLiteral("error: Fornecedor deve ser informado.")});
    EXPECT_EQ(Focused(), tela->rdbListaForn);
    EXPECT_TRUE(server.Calls().isEmpty());
}

TEST_F(Filtro, ChoosingListAgainAfterTodosLeavesTheBranchListEmptyAndTheValidationAsksForIt)
{
    Click(tela->rdbFilialTodos);
    EXPECT_FALSE(tela->btnPesqFilial->isEnabled());
    EXPECT_TRUE(stListaFili.isEmpty());
    Click(tela->rdbListaFilial);
    EXPECT_TRUE(tela->btnPesqFilial->isEnabled());
    EXPECT_FALSE(tela->rdbFilialTodos->Checked());
    EXPECT_TRUE(stListaFili.isEmpty());

    Click(tela->rdbFornTodos);
    Click(tela->dbgPadrao->viewport());
    EXPECT_EQ(ui.Texts(TUiEntryKind::Error), QStringList{QStringLiteral("Filial deve ser informada.")});
    EXPECT_EQ(Focused(), tela->rdbListaFilial);
}

TEST_F(Filtro, DateRangeChecksNameTheMissingOrMisorderedDateAndFocusIt)
{
    Click(tela->rdbFornTodos);
    const struct {
        QString ini, fin, message;
        TDateEditPlus* focus;
    } cases[] = {
        {QStringLiteral("01122026"), QString(), QStringLiteral("Data final deve ser informada."), tela->depDtFinEmiss},
        {QString(), QStringLiteral("01122026"), QStringLiteral("Data inicial deve ser informada."), tela->depDtIniEmiss},
        {QStringLiteral("02122026"), QStringLiteral("01122026"),
         QStringLiteral("Data inicial deve ser menor ou igual a data final."), tela->depDtIniEmiss},
    };
    for (const auto& c : cases) {
        tela->depDtIniEmiss->Clear();
        tela->depDtFinEmiss->Clear();
        if (!c.ini.isEmpty())
            TypeDate(tela->depDtIniEmiss, c.ini);
        if (!c.fin.isEmpty())
            TypeDate(tela->depDtFinEmiss, c.fin);
        ui.Clear();
        Click(tela->dbgPadrao->viewport());
        EXPECT_EQ(ui.Texts(TUiEntryKind::Error), QStringList{c.message}) << c.ini.toStdString() << " " << c.fin.toStdString();
        EXPECT_TRUE(c.focus->isAncestorOf(Focused())) << c.message.toStdString();
        EXPECT_TRUE(server.Calls().isEmpty());
    }
}

TEST_F(Filtro, EqualDatesPassAndTravelWithTheDateFlagBlank)
{
    Click(tela->rdbFornTodos);
    TypeDate(tela->depDtIniEmiss, QStringLiteral("01122026"));
    TypeDate(tela->depDtFinEmiss, QStringLiteral("01122026"));
    Click(tela->dbgPadrao->viewport());
    ASSERT_EQ(server.Calls(QStringLiteral("GetNFEtiqueta")).size(), 1);
    const QList<TVariant> args = server.Calls(QStringLiteral("GetNFEtiqueta")).last().params;
    EXPECT_EQ(args[ArgDtIni].AsDate(), EncodeDate(2026, 12, 1));
    EXPECT_EQ(args[ArgDtFin].AsDate(), EncodeDate(2026, 12, 1));
    EXPECT_EQ(args[ArgDatasVazias].AsString(), QStringLiteral(" "));
}

TEST_F(Filtro, LeavingADateThatIsNoDateSaysSoAndKeepsTheFocusInIt)
{
    TypeDate(tela->depDtIniEmiss, QStringLiteral("31022026"));
    tela->edtNumIni->setFocus();
    EXPECT_EQ(ui.Texts(TUiEntryKind::Error), QStringList{QStringLiteral("'31/02/2026' não é uma data válida.")});
    EXPECT_TRUE(tela->depDtIniEmiss->isAncestorOf(Focused()));
}

TEST_F(Filtro, TodosWithEveryOtherFilterEmptySendsEmptyListsAndTheThreeFlags)
{
    SearchAll();
    EXPECT_EQ(LastSearch(), (QStringList{"", "T", "", "T", "<date>", "<date>", "", "", "T", "T", ""}));
    EXPECT_EQ(ui.Log(), (QStringList{QStringLiteral("progress: Recebendo dados do servidor..."),
                                     QStringLiteral("progress hidden: ")}));
    EXPECT_EQ(ui.ProgressKinds, QList<int>{1});
}

TEST_F(Filtro, ListsAndANumberRangeTravelInTheirForms)
{
    stListaForn = QStringLiteral("_1001_,_1003_");
    tela->edtNumFin->setText(QStringLiteral("123"));
    Click(tela->dbgPadrao->viewport());
    EXPECT_EQ(LastSearch(), (QStringList{"_0001_", " ", "_1001_,_1003_", " ", "<date>", "<date>", "0000000000",
                                         "0000000123", "T", "", ""}));

    tela->edtNumIni->setFocus();
    tela->edtNumIni->setText(QStringLiteral("77"));
    tela->edtNumFin->clear();
    Click(tela->dbgPadrao->viewport());
    EXPECT_EQ(LastSearch().mid(ArgNumIni, 2), (QStringList{"0000000077", "9999999999"}));

    tela->edtNumIni->setFocus();
    tela->edtNumIni->setText(QStringLiteral(" 12345678901 "));
    Click(tela->dbgPadrao->viewport());
    EXPECT_EQ(LastSearch().at(ArgNumIni), QStringLiteral("12345678901"));
}

TEST_F(Filtro, TheListsTheServerWritesBackReachTheScreensListVariables)
{
    stListaForn = QStringLiteral("_1001_");
    server.SetNFEtiquetaByRef(ArgListaFilial, QStringLiteral("_0001_,_0002_"));
    server.SetNFEtiquetaByRef(ArgListaFornecedor, QStringLiteral("_1001_,_1002_"));
    Click(tela->dbgPadrao->viewport());
    EXPECT_EQ(LastSearch().mid(ArgListaFilial, 3), (QStringList{"_0001_", " ", "_1001_"}));
    EXPECT_EQ(stListaFili, QStringLiteral("_0001_,_0002_"));
    EXPECT_EQ(stListaForn, QStringLiteral("_1001_,_1002_"));
}

TEST_F(Filtro, AFullBarcodeTravelsAndAnyOtherLengthStopsTheSearchInTheBarcodeEdit)
{
    Click(tela->rdbFilialTodos);
    Click(tela->rdbFornTodos);
    const QString barcode = Barcode(QStringLiteral("0000000001"), QStringLiteral("0001"), QStringLiteral("00003"));
    tela->edtCdBarProd->setText(barcode);
    Click(tela->dbgPadrao->viewport());
    EXPECT_EQ(LastSearch().value(ArgCodBarras), barcode);

    tela->rdbFornTodos->setFocus();
    server.ClearCalls();
    ui.Clear();
    tela->edtCdBarProd->setText(barcode.left(10));
    Click(tela->dbgPadrao->viewport());
    EXPECT_EQ(ui.Log(), QStringList{QStringLiteral("error: Código de barras inválido.")});
    EXPECT_EQ(Focused(), tela->edtCdBarProd);
    EXPECT_TRUE(server.Calls().isEmpty());
}

TEST_F(Filtro, ASearchThatFindsInvoicesEnablesVerifyAndTheItemsPage)
{
    SearchAll();
    EXPECT_EQ(tela->cdsNotaFiscal->RecordCount(), 2);
    EXPECT_EQ(tela->cdsNotaFiscal->RecNo(), 1);
    EXPECT_TRUE(tela->sbtVerificar->isEnabled());
    EXPECT_TRUE(tela->mniVerificar->isEnabled());
    EXPECT_TRUE(tela->tshFormulario->PageEnabled());
    EXPECT_EQ(tela->dbtNome->text(), QStringLiteral("Recebido na doca 2 - conferência cega"));
}

TEST_F(Filtro, ASearchThatFindsNothingKeepsTheItemsPageDisabled)
{
    server.SetInvoices(MakePacket(DefineNotaFiscal, {}));
    SearchAll();
    EXPECT_TRUE(tela->cdsNotaFiscal->IsEmpty());
    EXPECT_EQ(ui.Texts(TUiEntryKind::Information),
              QStringList{QStringLiteral("Nenhuma nota fiscal foi encontrada com os filtros informados.")});
    EXPECT_TRUE(tela->sbtVerificar->isEnabled());
    EXPECT_FALSE(tela->tshFormulario->PageEnabled());
    ClickTab(tela->tshFormulario);
    EXPECT_EQ(tela->pgcPadrao->ActivePage(), tela->tshFolhaDados);
}

TEST_F(Filtro, TheFiltersOfTheLastSearchComeBackOnThisWorkstationOnly)
{
    QTemporaryDir dir;
    TSession::Instance().WorkstationFile = dir.filePath(QStringLiteral("estacao.ini"));
    const struct TForget {
        ~TForget() { TSession::Instance().WorkstationFile.clear(); }
    } forget;
    Click(tela->rdbFilialTodos);
    tela->edtNumIni->setFocus();
    QTest::keyClicks(tela->edtNumIni, QStringLiteral("12"));
    TypeDate(tela->depDtIniEmiss, QStringLiteral("01032024"));
    TypeDate(tela->depDtFinEmiss, QStringLiteral("31032024"));
    stListaForn = QStringLiteral("_000123_");
    Click(tela->dbgPadrao->viewport());
    ASSERT_EQ(LastSearch().value(ArgListaFornecedor), QStringLiteral("_000123_"));

    auto reopen = [this] {
        CloseQueryScreen(tela, ui);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        IniProc();
        tela = frmConsDesEtiq;
        return tela != nullptr;
    };
    ASSERT_TRUE(reopen());
    EXPECT_TRUE(tela->rdbFilialTodos->Checked());
    EXPECT_FALSE(tela->btnPesqFilial->isEnabled());
    EXPECT_TRUE(tela->rdbListaForn->Checked());
    EXPECT_EQ(stListaForn, QStringLiteral("_000123_"));
    EXPECT_EQ(tela->edtNumIni->Text(), QStringLiteral("12"));
    EXPECT_EQ(tela->depDtIniEmiss->Text(), QStringLiteral("01/03/2024"));
    EXPECT_EQ(tela->depDtFinEmiss->Text(), QStringLiteral("31/03/2024"));

    // Without the workstation's file every opening starts from the screen's own defaults.
    TSession::Instance().WorkstationFile.clear();
    ASSERT_TRUE(reopen());
    EXPECT_TRUE(tela->rdbListaFilial->Checked());
    EXPECT_TRUE(tela->edtNumIni->Text().isEmpty());
}

TEST_F(Filtro, AFailingSearchKeepsTheInvoicesListedAndTheGridRefreshing)
{
    SearchAll();
    server.FailMethod(QStringLiteral("GetNFEtiqueta"), QStringLiteral("Banco de dados indisponível"));
    ui.Clear();
    Click(tela->sbtVerificar);
    EXPECT_EQ(ui.Log(), (QStringList{QStringLiteral("progress: Recebendo dados do servidor..."),
                                     QStringLiteral("progress hidden: "),
                                     QStringLiteral("error: Banco de dados indisponível")}));
    EXPECT_EQ(tela->cdsNotaFiscal->RecordCount(), 2);
    EXPECT_FALSE(tela->cdsNotaFiscal->ControlsDisabled());
    EXPECT_EQ(tela->dbgPadrao->model()->rowCount(), 2);
}

TEST_F(Filtro, EnteringThePanelAgainEmptiesTheInvoicesAndDisablesVerifyAndTheItemsPage)
{
    SearchAll();
    Click(tela->rdbFornTodos);
    EXPECT_TRUE(tela->cdsNotaFiscal->IsEmpty());
    EXPECT_FALSE(tela->tshFormulario->PageEnabled());
    EXPECT_FALSE(tela->sbtVerificar->isEnabled());
}

TEST_F(Filtro, EachInvoiceShowsItsTaxNumberWithTheMaskOfItsOwnPersonType)
{
    SearchAll();
    TDBGrid* grid = tela->dbgPadrao;
    const int column = grid->ColumnByField(QStringLiteral("NRINSJURNF"))->Index();
    EXPECT_EQ(grid->model()->index(0, column).data().toString(), QStringLiteral("12.345.678/0001-90"));
    EXPECT_EQ(grid->model()->index(1, column).data().toString(), QStringLiteral("123.456.789-09"));
}

TEST_F(Filtro, FindOnTheInvoiceGridSearchesTheInvoicesAndElsewhereDoesNothing)
{
    SearchAll();
    ui.FindAnswers.enqueue({QStringLiteral("NRNOTAFISC"), QStringLiteral("458300")});
    ui.Clear();
    Click(tela->sbtProcurar);
    EXPECT_EQ(ui.Texts(TUiEntryKind::Find).size(), 1);
    EXPECT_EQ(Current(tela->cdsNotaFiscal, "NRNOTAFISC"), QStringLiteral("458300"));

    tela->edtCdBarProd->setFocus();
    ui.Clear();
    tela->sbtProcurarClick(tela->sbtProcurar);
    EXPECT_TRUE(ui.Entries.isEmpty());
}

class FiltroListas : public Filtro {
protected:
    QTemporaryDir dir;

    void SetUp() override
    {
        Filtro::SetUp();
        const QString path = dir.filePath(QStringLiteral("host.db"));
        dtmDBGeral().Connect(path);
        QSqlQuery sql(dtmDBGeral().Database());
        ASSERT_TRUE(sql.exec("CREATE TABLE FORNECEDOR (CDFORNECED VARCHAR(21), IDTPIJURFORN CHAR(1),"
                             " NRINSJURFORN VARCHAR(20), NMRAZSOCFORN VARCHAR(40))"));
        ASSERT_TRUE(sql.exec("INSERT INTO FORNECEDOR VALUES ('1001', 'J', '12345678000190', 'Laticínios Serra Azul Ltda')"));
        ASSERT_TRUE(sql.exec("INSERT INTO FORNECEDOR VALUES ('1009', 'F', '12345678909', 'José Carlos de Almeida')"));
        ASSERT_TRUE(sql.exec("CREATE TABLE FILIAL (CDFILIAL VARCHAR(4), NMFILIAL VARCHAR(30))"));
        ASSERT_TRUE(sql.exec("INSERT INTO FILIAL VALUES ('0001', 'Matriz')"));
        ASSERT_TRUE(sql.exec("INSERT INTO FILIAL VALUES ('0002', 'Filial Campinas')"));
    }

    void TearDown() override
    {
        Filtro::TearDown();
        dtmDBGeral().Disconnect();
    }
};

TEST_F(FiltroListas, TheSupplierListShowsEachTaxNumberMaskedAndFillsTheSupplierList)
{
    ui.ListAnswers.enqueue(QList<int>{1});
    Click(tela->btnPesqForn);
    EXPECT_EQ(ui.Texts(TUiEntryKind::List), QStringList{QStringLiteral("Fornecedor")});
    ASSERT_EQ(ui.LastList.rows.size(), 2);
    EXPECT_TRUE(ui.LastList.rows[0].contains(QStringLiteral("12.345.678/0001-90")));
    EXPECT_TRUE(ui.LastList.rows[1].contains(QStringLiteral("123.456.789-09")));
    EXPECT_EQ(stListaForn, QStringLiteral("_1009_"));
}

TEST_F(FiltroListas, TheBranchListStartsWithTheOwnBranchChosenAndKeepsItOnCancel)
{
    ui.ListAnswers.enqueue(std::nullopt);
    Click(tela->btnPesqFilial);
    EXPECT_EQ(ui.Texts(TUiEntryKind::List), QStringList{QStringLiteral("Filial")});
    EXPECT_EQ(ui.LastList.chosen, QList<int>{0});
    EXPECT_EQ(stListaFili, QStringLiteral("_0001_"));

    ui.ListAnswers.enqueue(QList<int>{0, 1});
    Click(tela->btnPesqFilial);
    EXPECT_EQ(stListaFili, QStringLiteral("_0001_,_0002_"));
}

// The list buttons and Verify take no focus, so a list can be emptied with the focus in the
// invoice grid: the search checks the filters itself and never goes out with an empty "Lista".
TEST_F(FiltroListas, AListEmptiedFromOutsideThePanelStopsTheNextSearch)
{
    const struct {
        TBtnPesquisa* button;
        TRadioButton* option;
        const char* message;
    } cases[] = {{tela->btnPesqFilial, tela->rdbListaFilial, "Filial deve ser informada."},
                 {tela->btnPesqForn, tela->rdbListaForn, "Fornecedor deve ser informado."}};
    for (const auto& c : cases) {
        ui.ListAnswers.enqueue(QList<int>{0});
        Click(tela->btnPesqForn);
        Click(tela->dbgPadrao->viewport());
        ASSERT_EQ(tela->cdsNotaFiscal->RecordCount(), 2) << ui.Log().join('\n').toStdString();
        ui.ListAnswers.enqueue(QList<int>{});
        Click(c.button);
        ASSERT_EQ(Focused(), tela->dbgPadrao) << "the list button took the focus";
        server.ClearCalls();
        ui.Clear();
        Click(tela->sbtVerificar);
        EXPECT_EQ(ui.Texts(TUiEntryKind::Error), QStringList{QString::fromUtf8(c.message)});
        EXPECT_TRUE(server.Calls(QStringLiteral("GetNFEtiqueta")).isEmpty());
        EXPECT_EQ(Focused(), c.option);
        EXPECT_TRUE(tela->cdsNotaFiscal->IsEmpty()) << "the invoices listed no longer answer the filters";
        stListaFili = QStringLiteral("_0001_");
    }
}
