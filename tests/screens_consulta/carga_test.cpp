// Loading an invoice's items and labels: what the page "Produto/Etiqueta" lists, the list of
// printable labels, and the reloads that Verify, invoice moves and the page itself cause.

#include "consultafixture.h"

#include "labels/recordsets.h"
#include "package/pkg_est99000.h"

#include <QSignalSpy>
#include <QMenuBar>
#include <QTest>

#include <functional>

namespace {

const QString kNota1 = QStringLiteral("0000000001");

QStringList PrintableBarcodes(TClientDataSet* rel)
{
    QStringList barcodes;
    const bool filtered = rel->Filtered();
    rel->SetFiltered(false);
    for (int r = 1; r <= rel->RecordCount(); ++r) {
        TRecordPeek peek(rel, r);
        barcodes << rel->FieldByName(QStringLiteral("CDCODBARRAETIQ"))->AsString();
    }
    rel->SetFiltered(filtered);
    barcodes.sort();
    return barcodes;
}

} // namespace

class Carga : public ConsultaTest {};

TEST_F(Carga, EnteringThePageListsTheInvoicesItemsAndTheFirstItemsLabels)
{
    LoadDemo();
    SearchAll();
    ui.Clear();
    ClickTab(tela->tshFormulario);
    EXPECT_EQ(ui.Log(), (QStringList{QStringLiteral("progress: Recebendo dados do servidor..."),
                                     QStringLiteral("progress hidden: ")}));
    ASSERT_EQ(server.Calls(QStringLiteral("GetProduto")).size(), 1);
    const QList<TVariant> key = server.Calls(QStringLiteral("GetProduto")).first().params;
    EXPECT_EQ(key[0].AsString(), QStringLiteral("0001"));
    EXPECT_EQ(key[1].AsString(), kNota1);
    EXPECT_EQ(tela->dbgItemProduto->model()->rowCount(), 4);
    EXPECT_EQ(tela->cdsProdEtiq->RecNo(), 1);
    EXPECT_EQ(ListedLabels().size(), 6);
    EXPECT_EQ(tela->dbgEtiquetaGerada->model()->rowCount(), 6);
    EXPECT_EQ(inEtiqMark, 0);
    // The grouping buffer holds the same labels, unchanged.
    EXPECT_EQ(tela->cdsAuxEtiqueta->RecordCount(), 14);
    EXPECT_EQ(tela->cdsAuxEtiqueta->ChangeCount(), 0);
}

TEST_F(Carga, OnlyActiveLabelsBecomePrintableWithTheirItemAndInvoiceData)
{
    OpenLabels();
    QStringList active;
    for (const char* seq : {"00001", "00002", "00003", "00004", "00005", "00006"})
        active << Barcode(kNota1, "0001", seq);
    active << Barcode(kNota1, "0002", "00003") << Barcode(kNota1, "0002", "00004") << Barcode(kNota1, "0002", "00006")
           << Barcode(kNota1, "0004", "00001") << Barcode(kNota1, "0004", "00002");
    active.sort();
    EXPECT_EQ(PrintableBarcodes(tela->cdsRelEtiquetas), active);

    TClientDataSet* rel = tela->cdsRelEtiquetas;
    rel->SetFiltered(false);
    ASSERT_TRUE(rel->Locate(QStringLiteral("CDCODBARRAETIQ"), {Barcode(kNota1, "0004", "00002")}));
    EXPECT_EQ(Current(rel, "IDCHECK"), QStringLiteral("U"));
    EXPECT_EQ(Current(rel, "NMPRODUTO"), QStringLiteral("Linguiça toscana"));
    EXPECT_EQ(Current(rel, "NRSEQITPROD"), QStringLiteral("0004"));
    EXPECT_EQ(Current(rel, "CDARVPROD"), QStringLiteral("05.01.0001"));
    EXPECT_EQ(Current(rel, "NRNOTAFISC"), QStringLiteral("458213"));
    EXPECT_EQ(Current(rel, "CDSERIEENTR"), QStringLiteral("1"));
    EXPECT_DOUBLE_EQ(rel->FieldByName(QStringLiteral("VRPESOETIQ"))->AsFloat(), 4.85);
    EXPECT_EQ(rel->FieldByName(QStringLiteral("DTVALILOTE"))->AsDateTime().date(), QDate(2027, 1, 20));
}

TEST_F(Carga, ReloadingTheSameInvoiceAddsNoDuplicatesAndKeepsPrintMarks)
{
    OpenLabels();
    TClientDataSet* rel = tela->cdsRelEtiquetas;
    const QStringList before = PrintableBarcodes(rel);
    rel->SetFiltered(false);
    ASSERT_TRUE(rel->Locate(QStringLiteral("CDCODBARRAETIQ"), {Barcode(kNota1, "0004", "00001")}));
    rel->Edit();
    rel->FieldByName(QStringLiteral("IDCHECK"))->SetAsString(QStringLiteral("C"));
    rel->Post();
    rel->SetFiltered(true);

    // Back to the same invoice's page reads nothing again; Verify does.
    ClickTab(tela->tshFolhaDados);
    ClickTab(tela->tshFormulario);
    EXPECT_TRUE(server.Calls(QStringLiteral("GetProduto")).isEmpty());
    Click(tela->sbtVerificar);
    EXPECT_EQ(server.Calls(QStringLiteral("GetProduto")).size(), 1);
    EXPECT_EQ(PrintableBarcodes(rel), before);
    rel->SetFiltered(false);
    ASSERT_TRUE(rel->Locate(QStringLiteral("CDCODBARRAETIQ"), {Barcode(kNota1, "0004", "00001")}));
    EXPECT_EQ(Current(rel, "IDCHECK"), QStringLiteral("C"));
}

TEST_F(Carga, VerifyOnTheItemsPageReloadsTheItemsAndLabelsNotTheInvoices)
{
    OpenLabels();
    ClickItem(3);
    MarkLabels({0});
    EXPECT_EQ(inEtiqMark, 1);
    Click(tela->sbtVerificar);
    EXPECT_EQ(server.Methods(), QStringList{QStringLiteral("GetProduto")});
    EXPECT_EQ(tela->cdsProdEtiq->RecNo(), 1);
    EXPECT_EQ(ListedLabels().size(), 6);
    EXPECT_EQ(inEtiqMark, 0);
    EXPECT_EQ(Current(tela->cdsNotaFiscal, "NRLANCTONF"), kNota1);
}

TEST_F(Carga, EachGridRefreshesOncePerLoad)
{
    OpenLabels();
    QSignalSpy items(tela->dbgItemProduto->model(), &QAbstractItemModel::modelReset);
    QSignalSpy labels(tela->dbgEtiquetaGerada->model(), &QAbstractItemModel::modelReset);
    Click(tela->sbtVerificar);
    EXPECT_EQ(items.count(), 1);
    EXPECT_EQ(labels.count(), 1);
}

TEST_F(Carga, AFailingLoadLeavesTheGridsRefreshingAndTheErrorShown)
{
    OpenLabels();
    server.FailMethod(QStringLiteral("GetProduto"), QStringLiteral("Nota fiscal não encontrada"));
    Click(tela->sbtVerificar);
    EXPECT_EQ(ui.Texts(TUiEntryKind::Error), QStringList{QStringLiteral("Nota fiscal não encontrada")});
    EXPECT_FALSE(tela->cdsProdEtiq->ControlsDisabled());
    EXPECT_FALSE(tela->cdsEtiqueta->ControlsDisabled());
    EXPECT_EQ(tela->dbgItemProduto->model()->rowCount(), 4);
}

TEST_F(Carga, MovingBetweenItemsListsEachItemsLabelsAndRestartsTheMarkCount)
{
    OpenLabels();
    MarkLabels({0, 1});
    EXPECT_EQ(inEtiqMark, 2);
    ClickItem(1);
    EXPECT_EQ(Current(tela->cdsProdEtiq, "NRSEQITPROD"), QStringLiteral("0002"));
    EXPECT_EQ(ListedLabels().size(), 6);
    EXPECT_EQ(inEtiqMark, 1) << "the label 00004 comes marked from the server";
    ClickItem(2);
    EXPECT_TRUE(ListedLabels().isEmpty());
    Key(tela->dbgItemProduto, Qt::Key_Up);
    Key(tela->dbgItemProduto, Qt::Key_Up);
    EXPECT_EQ(Current(tela->cdsProdEtiq, "NRSEQITPROD"), QStringLiteral("0001"));
    // The marks stay in the data and in the grid, and the counter and Group follow them again.
    EXPECT_EQ(tela->cdsEtiqueta->Lookup(QStringLiteral("CDCODBARRAETIQ"), {Barcode(kNota1, "0001", "00001")},
                                        QStringLiteral("IDCHECK")),
              QVariant(QStringLiteral("C")));
    EXPECT_EQ(inEtiqMark, 2);
    EXPECT_TRUE(tela->btnAgrupar->isEnabled());
}

TEST_F(Carga, AQuoteInAnItemSequenceSelectsOnlyThatItemsLabels)
{
    auto item = [](const QString& seq) {
        return QVariantMap{{"CDFILIAL", "0001"}, {"NRLANCTONF", kNota1}, {"NRSEQITPROD", seq},
                           {"NMPRODUTO", QStringLiteral("Item ") + seq}, {"QTITEMPROD", 1.0}};
    };
    auto label = [](const QString& seq, const QString& barcode) {
        return QVariantMap{{"IDCHECK", "U"}, {"NRSEQITPROD", seq}, {"NRSEQETIQ", "00001"}, {"IDSTATUSETIQ", "A"},
                           {"VRPESOETIQ", 1.0}, {"CDCODBARRAETIQ", barcode}};
    };
    LoadDemo();
    server.SetItems(QStringLiteral("0001"), kNota1,
                    MakePacket(DefineProdEtiq, {item("0'1"), item("'OR'"), item("0002")}),
                    MakePacket(DefineEtiquetaConsulta,
                               {label("0'1", "QUOTE"), label("0002", "OTHER"), label("'OR'", "OR-ITEM")}));
    SearchAll();
    ClickTab(tela->tshFormulario);
    EXPECT_TRUE(ui.Texts(TUiEntryKind::Error).isEmpty()) << ui.Log().join('\n').toStdString();
    EXPECT_EQ(ListedLabels(), QStringList{QStringLiteral("QUOTE")});
    ClickItem(1);
    EXPECT_EQ(ListedLabels(), QStringList{QStringLiteral("OR-ITEM")});
    TClientDataSet* rel = tela->cdsRelEtiquetas;
    ASSERT_EQ(rel->RecordCount(), 1);
    EXPECT_EQ(Current(rel, "CDCODBARRAETIQ"), QStringLiteral("OR-ITEM"));
}

TEST_F(Carga, MovingToAnotherInvoiceOnTheInvoicePageEmptiesThePrintListAndFetchesNothing)
{
    OpenLabels();
    ClickTab(tela->tshFolhaDados);
    server.ClearCalls();
    Key(tela->dbgPadrao, Qt::Key_Down);
    EXPECT_EQ(Current(tela->cdsNotaFiscal, "NRLANCTONF"), QStringLiteral("0000000002"));
    tela->cdsRelEtiquetas->SetFiltered(false);
    EXPECT_TRUE(tela->cdsRelEtiquetas->IsEmpty());
    EXPECT_TRUE(server.Calls().isEmpty());

    ClickTab(tela->tshFormulario);
    EXPECT_EQ(server.Methods(), QStringList{QStringLiteral("GetProduto")});
    EXPECT_EQ(ListedLabels(), QStringList{Barcode(QStringLiteral("0000000002"), "0001", "00001")});
}

TEST_F(Carga, AnInvoiceWithoutLabelsListsItsItemsAndNothingPrintable)
{
    LoadDemo();
    server.SetItems(QStringLiteral("0001"), kNota1, DemoItems(), MakePacket(DefineEtiquetaConsulta, {}));
    SearchAll();
    ClickTab(tela->tshFormulario);
    EXPECT_EQ(tela->cdsProdEtiq->RecordCount(), 4);
    EXPECT_TRUE(ListedLabels().isEmpty());
    tela->cdsRelEtiquetas->SetFiltered(false);
    EXPECT_TRUE(tela->cdsRelEtiquetas->IsEmpty());
    EXPECT_FALSE(tela->sbtImprimir->isEnabled());
}

TEST_F(Carga, MovingToAnInvoiceWithoutItemsOnTheItemsPageEmptiesBothGridsQuietly)
{
    LoadDemo();
    server.SetItems(QStringLiteral("0001"), QStringLiteral("0000000002"), MakePacket(DefineProdEtiq, {}),
                    MakePacket(DefineEtiquetaConsulta, {}));
    SearchAll();
    ClickTab(tela->tshFormulario);
    ui.Clear();
    auto* next = tela->panNavigator->findChild<TSpeedButton*>(QStringLiteral("nvgProximo"));
    ASSERT_NE(next, nullptr);
    Click(next);
    EXPECT_EQ(Current(tela->cdsNotaFiscal, "NRLANCTONF"), QStringLiteral("0000000002"));
    EXPECT_TRUE(ui.Texts(TUiEntryKind::Error).isEmpty()) << ui.Log().join('\n').toStdString();
    EXPECT_EQ(tela->dbgItemProduto->model()->rowCount(), 0);
    EXPECT_EQ(tela->dbgEtiquetaGerada->model()->rowCount(), 0);
    EXPECT_FALSE(tela->sbtImprimir->isEnabled());
}

// The progress window stays up until the printable labels are listed and the grouping buffer
// is loaded, not only while the server answers.
TEST_F(Carga, TheProgressWindowGoesOnlyWhenThePageIsReady)
{
    class TWatchingUi : public TRecordingUiServices {
    public:
        std::function<void()> onHide;
        void HideProgress() override
        {
            TRecordingUiServices::HideProgress();
            if (onHide)
                onHide();
        }
    } watching;
    TUiServicesScope watch(watching);
    LoadDemo();
    SearchAll();
    watching.Clear();
    int printable = -1, buffer = -1;
    watching.onHide = [&] {
        tela->cdsRelEtiquetas->SetFiltered(false);
        printable = tela->cdsRelEtiquetas->RecordCount();
        tela->cdsRelEtiquetas->SetFiltered(true);
        buffer = tela->cdsAuxEtiqueta->RecordCount();
    };
    ClickTab(tela->tshFormulario);
    EXPECT_EQ(watching.Texts(TUiEntryKind::ProgressShow), QStringList{QStringLiteral("Recebendo dados do servidor...")});
    EXPECT_EQ(watching.Texts(TUiEntryKind::ProgressHide).size(), 1);
    EXPECT_EQ(printable, 11);
    EXPECT_EQ(buffer, 14);
}

// The page "Produto/Etiqueta" shows the current invoice's items also when the focus does not
// come into it with the click on its tab.
TEST_F(Carga, TheItemsPageAlwaysShowsTheCurrentInvoice)
{
    const struct {
        const char* where;
        std::function<void()> focus;
    } cases[] = {
        {"the barcode edit", [&] { Click(tela->edtCdBarProd); }},
        {"the menu, left with Esc", [&] {
             tela->mnuPadrao->setFocus();
             Key(tela->mnuPadrao, Qt::Key_Escape);
         }},
    };
    LoadDemo();
    SearchAll();
    for (const auto& c : cases) {
        Key(tela->dbgPadrao, Qt::Key_Down);
        ClickTab(tela->tshFormulario);
        ClickTab(tela->tshFolhaDados);
        tela->dbgPadrao->setFocus();
        Key(tela->dbgPadrao, Qt::Key_Up);
        ASSERT_EQ(Current(tela->cdsNotaFiscal, "NRLANCTONF"), kNota1);
        c.focus();
        server.ClearCalls();
        ClickTab(tela->tshFormulario);
        EXPECT_EQ(server.Methods(), QStringList{QStringLiteral("GetProduto")}) << c.where;
        EXPECT_EQ(tela->cdsProdEtiq->RecordCount(), 4) << c.where;
        EXPECT_EQ(Current(tela->cdsProdEtiq, "NRLANCTONF"), kNota1) << c.where;
        EXPECT_EQ(ListedLabels().size(), 6) << c.where;
        ClickTab(tela->tshFolhaDados);
        tela->dbgPadrao->setFocus();
    }
}
