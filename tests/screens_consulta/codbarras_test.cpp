// Finding a label by its barcode: Enter in the barcode edit on either page, and the selection
// of the scanned label when the page "Produto/Etiqueta" is entered.

#include "consultafixture.h"

#include "package/pkg_est99000.h"

#include <QTest>

namespace {

const QString kNota1 = QStringLiteral("0000000001");

} // namespace

class CodBarras : public ConsultaTest {
protected:
    void Enter() { Key(tela->edtCdBarProd, Qt::Key_Return); }
};

TEST_F(CodBarras, EnterOnAnEmptyEditDoesNothingAtAll)
{
    OpenLabels();
    TypeBarcode(QStringLiteral("   "));
    Enter();
    EXPECT_TRUE(ui.Entries.isEmpty());
    EXPECT_EQ(Focused(), tela->edtCdBarProd);
    EXPECT_TRUE(server.Calls().isEmpty());
}

TEST_F(CodBarras, AShortOrLongTextIsInvalidOnEitherPageAndKeepsTheFocusInTheEdit)
{
    LoadDemo();
    SearchAll();
    for (const QString& text : {QStringLiteral("0001000000"), Barcode(kNota1, "0001", "0001")}) {
        TypeBarcode(text);
        Enter();
        EXPECT_EQ(ui.Log(), QStringList{QStringLiteral("error: Código de barras inválido.")}) << text.toStdString();
        EXPECT_EQ(Focused(), tela->edtCdBarProd);
    }
    ClickTab(tela->tshFormulario);
    TypeBarcode(QStringLiteral("0001000000"));
    Enter();
    EXPECT_EQ(ui.Log(), QStringList{QStringLiteral("error: Código de barras inválido.")});
    EXPECT_EQ(Focused(), tela->edtCdBarProd);
    EXPECT_EQ(tela->edtCdBarProd->Text(), QStringLiteral("0001000000"));
}

TEST_F(CodBarras, ALabelOfAnotherItemBecomesCurrentWithItsItemAndTheCountAtZero)
{
    OpenLabels();
    MarkLabels({0, 1});
    ASSERT_TRUE(tela->btnAgrupar->isEnabled());
    const QString label = Barcode(kNota1, "0004", "00002");
    TypeBarcode(label);
    Enter();
    EXPECT_TRUE(ui.Texts(TUiEntryKind::Information).isEmpty());
    EXPECT_EQ(Current(tela->cdsProdEtiq, "NRSEQITPROD"), QStringLiteral("0004"));
    EXPECT_EQ(ListedLabels(), (QStringList{Barcode(kNota1, "0004", "00001"), label}));
    EXPECT_EQ(Current(tela->cdsEtiqueta, "CDCODBARRAETIQ"), label);
    EXPECT_EQ(Focused(), tela->dbgEtiquetaGerada);
    EXPECT_EQ(inEtiqMark, 0);
    EXPECT_FALSE(tela->btnAgrupar->isEnabled());
    EXPECT_FALSE(tela->btnDesmembrar->isEnabled());
    EXPECT_EQ(tela->edtCdBarProd->Text(), label);
}

TEST_F(CodBarras, LettersMatchWhateverTheirCase)
{
    OpenLabels();
    TypeBarcode(Barcode(kNota1, "0002", "abcde"));
    Enter();
    EXPECT_EQ(Current(tela->cdsProdEtiq, "NRSEQITPROD"), QStringLiteral("0002"));
    EXPECT_EQ(Current(tela->cdsEtiqueta, "CDCODBARRAETIQ"), Barcode(kNota1, "0002", "ABCDE"));
}

TEST_F(CodBarras, AnUnknownBarcodeSaysSoAndMovesToTheLabelsOfOneItem)
{
    OpenLabels();
    ClickItem(1);
    // A label of the other invoice is not among this invoice's labels.
    for (const QString& text :
         {Barcode(QStringLiteral("0000000002"), "0001", "00001"), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVW")}) {
        TypeBarcode(text);
        Enter();
        EXPECT_EQ(ui.Log(), (QStringList{QStringLiteral("information: Código de barras não localizado."),
                                         QStringLiteral("progress: Recebendo dados do servidor..."),
                                         QStringLiteral("progress hidden: ")}))
            << "the focus entering the page reads the invoice again";
        EXPECT_EQ(Focused(), tela->dbgEtiquetaGerada);
        EXPECT_EQ(Current(tela->cdsProdEtiq, "NRSEQITPROD"), QStringLiteral("0001"));
        EXPECT_EQ(ListedLabels().size(), 6);
    }
}

TEST_F(CodBarras, AnUnknownBarcodeLeavesTheCurrentItemAndLabelAsTheyWere)
{
    OpenLabels();
    ClickItem(1);
    tela->dbgEtiquetaGerada->setFocus();
    Key(tela->dbgEtiquetaGerada, Qt::Key_Down);
    const QString before = Current(tela->cdsEtiqueta, "CDCODBARRAETIQ");
    tela->edtCdBarProd->setText(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVW"));
    ui.Clear();
    // Enter reaching the edit while the label grid keeps the focus: no page is entered anew.
    Key(tela->edtCdBarProd, Qt::Key_Return);
    EXPECT_EQ(ui.Log(), QStringList{QStringLiteral("information: Código de barras não localizado.")});
    EXPECT_EQ(Current(tela->cdsProdEtiq, "NRSEQITPROD"), QStringLiteral("0002"));
    EXPECT_EQ(Current(tela->cdsEtiqueta, "CDCODBARRAETIQ"), before);
    EXPECT_EQ(ListedLabels().size(), 6);
    EXPECT_FALSE(tela->cdsEtiqueta->ControlsDisabled());
}

TEST_F(CodBarras, OnTheInvoicePageEnterOnlyMovesToTheInvoicesAndThePageSelectsTheLabelWhenEntered)
{
    LoadDemo();
    SearchAll();
    const QString label = Barcode(kNota1, "0002", "00003");
    TypeBarcode(label);
    server.ClearCalls();
    Enter();
    EXPECT_EQ(Focused(), tela->dbgPadrao);
    EXPECT_TRUE(server.Calls(QStringLiteral("GetProduto")).isEmpty());
    // Entering the page area searched again, with the barcode as a filter.
    ASSERT_EQ(server.Calls(QStringLiteral("GetNFEtiqueta")).size(), 1);
    EXPECT_EQ(server.Calls(QStringLiteral("GetNFEtiqueta")).last().params.value(10).AsString(), label);

    ClickTab(tela->tshFormulario);
    EXPECT_EQ(Current(tela->cdsProdEtiq, "NRSEQITPROD"), QStringLiteral("0002"));
    EXPECT_EQ(Current(tela->cdsEtiqueta, "CDCODBARRAETIQ"), label);
    EXPECT_EQ(ListedLabels().size(), 6);
    EXPECT_EQ(Focused(), tela->dbgEtiquetaGerada);
    EXPECT_EQ(tela->dbgEtiquetaGerada->currentIndex().column(), 0) << "the mark column";
}

TEST_F(CodBarras, EnteringThePageWithAnUnknownBarcodeShowsTheFirstItemSilently)
{
    LoadDemo();
    SearchAll();
    tela->edtCdBarProd->setText(Barcode(kNota1, "0009", "00001"));
    ui.Clear();
    ClickTab(tela->tshFormulario);
    EXPECT_EQ(ui.Texts(TUiEntryKind::Information), QStringList());
    EXPECT_EQ(Current(tela->cdsProdEtiq, "NRSEQITPROD"), QStringLiteral("0001"));
    EXPECT_EQ(ListedLabels().size(), 6);
}
