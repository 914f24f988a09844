// Finding a label by its barcode: Enter in the barcode edit on either page, and the selection
// of the scanned label when the page "Produto/Etiqueta" is entered.

#include "consultafixture.h"

#include "package/pkg_est99000.h"
#include "support/consultascreen.h"

#include <QSet>
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
    // A scan is never cut: the 24 characters of label 100001 are not the 23 of label 10000.
    for (const QString& text : {QStringLiteral("0001000000"), Barcode(kNota1, "0001", "100001")}) {
        Click(tela->edtCdBarProd);
        tela->edtCdBarProd->clear();
        ui.Clear();
        Scan(text);
        EXPECT_EQ(ui.Log(), QStringList{QStringLiteral("error: Código de barras inválido.")}) << text.toStdString();
        EXPECT_EQ(Focused(), tela->edtCdBarProd);
        EXPECT_EQ(tela->edtCdBarProd->Text(), text);
        EXPECT_EQ(Current(tela->cdsEtiqueta, "CDCODBARRAETIQ"), Barcode(kNota1, "0001", "00001"));
    }
}

// The clerk scans label after label without touching the mouse, marking some with Space: every
// scan typed into whatever has the focus (the label grid after a lookup), and after every step
// the marks set so far, the current item and label, and a counter and commands that agree with
// the ticks shown; no scan reads the invoice again.
TEST_F(CodBarras, ScanningAndMarkingLabelAfterLabelKeepsEveryMarkAndTheCommandsAgree)
{
    OpenLabels();
    Click(tela->edtCdBarProd);
    struct Step {
        const char* scan;  // item and sequence of the scanned label, or a text; nullptr: Space
        const char* item;  // current item afterwards
        const char* label; // current label's item and sequence afterwards
        bool notFound;
    };
    const Step steps[] = {
        {"0001/00002", "0001", "0001/00002", false}, {nullptr, "0001", "0001/00002", false},
        {"0001/00005", "0001", "0001/00005", false}, {nullptr, "0001", "0001/00005", false},
        {"0009/00001", "0001", "0001/00005", true},
        {"0001/00005", "0001", "0001/00005", false}, {"0004/00002", "0004", "0004/00002", false},
        {nullptr, "0004", "0004/00002", false},      {"0001/00003", "0001", "0001/00003", false},
        {nullptr, "0001", "0001/00003", false},      {nullptr, "0001", "0001/00003", false},
        {"0001/00006", "0001", "0001/00006", false},
    };
    auto barcodeOf = [](const char* text) {
        const QString t = QString::fromLatin1(text);
        return t.contains('/') ? Barcode(kNota1, t.section('/', 0, 0), t.section('/', 1)) : t;
    };
    QSet<QString> marked;  // the model: what the clerk has marked so far
    for (const Step& step : steps) {
        const std::string name = step.scan ? step.scan : "Space";
        ui.Clear();
        if (step.scan) {
            Scan(barcodeOf(step.scan));
        } else {
            const QString current = Current(tela->cdsEtiqueta, "CDCODBARRAETIQ");
            if (!marked.remove(current))
                marked.insert(current);
            Key(Focused(), Qt::Key_Space);
        }
        EXPECT_EQ(ui.Log(), step.notFound ? QStringList{QStringLiteral("information: Código de barras não localizado.")}
                                          : QStringList())
            << name;
        EXPECT_EQ(Focused(), tela->dbgEtiquetaGerada) << name;
        EXPECT_EQ(Current(tela->cdsProdEtiq, "NRSEQITPROD"), QLatin1String(step.item)) << name;
        EXPECT_EQ(Current(tela->cdsEtiqueta, "CDCODBARRAETIQ"), barcodeOf(step.label)) << name;
        QStringList shown = TickedBarcodes(tela);
        QStringList expected;
        for (const QString& barcode : marked)
            if (barcode.mid(14, 4) == QLatin1String(step.item))
                expected << barcode;
        shown.sort();
        expected.sort();
        EXPECT_EQ(shown, expected) << name;
        EXPECT_EQ(inEtiqMark, expected.size()) << name;
        EXPECT_EQ(tela->btnAgrupar->isEnabled(), expected.size() > 1) << name;
        EXPECT_EQ(tela->btnDesmembrar->isEnabled(), expected.size() == 1) << name;
    }
    EXPECT_TRUE(server.Calls().isEmpty()) << "a scan read the invoice again";
    EXPECT_EQ(tela->edtCdBarProd->Text(), barcodeOf("0001/00006"));
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

TEST_F(CodBarras, AnUnknownBarcodeSaysSoAndKeepsTheCurrentItemAndItsLabels)
{
    OpenLabels();
    ClickItem(1);
    // A label of the other invoice is not among this invoice's labels.
    for (const QString& text :
         {Barcode(QStringLiteral("0000000002"), "0001", "00001"), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVW")}) {
        TypeBarcode(text);
        Enter();
        EXPECT_EQ(ui.Log(), (QStringList{QStringLiteral("information: Código de barras não localizado.")}))
            << "the lookup's own focus move reads nothing again";
        EXPECT_EQ(Focused(), tela->dbgEtiquetaGerada);
        EXPECT_EQ(Current(tela->cdsProdEtiq, "NRSEQITPROD"), QStringLiteral("0002"));
        EXPECT_EQ(ListedLabels().size(), 6);
    }
    EXPECT_TRUE(server.Calls().isEmpty());
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
