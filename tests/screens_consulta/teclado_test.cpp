// The clerk's keyboard on the query screen: Enter through the filters and onto an invoice,
// Ctrl+Tab between the pages, the function keys of the commands (each the same command as its
// button, refused when the button is) and the invoice-number boxes that take digits only.

#include "consultafixture.h"

#include "framework/session.h"
#include "package/pkg_est99000.h"
#include "support/consultascreen.h"

#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

class Teclado;

struct TKeyPath {
    const char* name;
    std::function<void(Teclado&)> run;
};

void PrintTo(const TKeyPath& path, std::ostream* os)
{
    *os << path.name;
}

class Teclado : public ConsultaTest, public ::testing::WithParamInterface<TKeyPath> {
public:
    TfrmConsDesEtiq* Tela() const { return tela; }
    TRecordingUiServices& Ui() { return ui; }
    TFakeLabelServer& Server() { return server; }
    using ConsultaTest::ClickItem;
    using ConsultaTest::Focused;
    using ConsultaTest::Key;
    using ConsultaTest::LoadDemo;
    using ConsultaTest::MarkLabels;
    using ConsultaTest::OpenLabels;
    using ConsultaTest::SearchAll;

    // The key pressed where the focus is, as the keyboard sends it.
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        QTest::keyClick(focused, key, modifiers);
    }
    void FocusOn(QWidget* widget)
    {
        widget->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), widget);
    }
    // The invoice list searched, the focus on the first invoice's row of the grid.
    void OnFirstInvoice()
    {
        LoadDemo();
        SearchAll();
        ASSERT_EQ(Focused(), tela->dbgPadrao);
        ASSERT_EQ(tela->pgcPadrao->ActivePage(), tela->tshFolhaDados);
        server.ClearCalls();
    }
    void ExpectItemsOfTheInvoiceOpened()
    {
        EXPECT_EQ(tela->pgcPadrao->ActivePage(), tela->tshFormulario);
        EXPECT_EQ(Focused(), tela->dbgItemProduto);
        EXPECT_EQ(tela->cdsProdEtiq->RecordCount(), 4);
        EXPECT_EQ(server.Calls(QStringLiteral("GetProduto")).size(), 1) << "read once";
    }
};

TEST_P(Teclado, TakesTheClerksPath)
{
    GetParam().run(*this);
}

INSTANTIATE_TEST_SUITE_P(Consulta, Teclado, ::testing::Values(
    TKeyPath{"EnterInAFilterBoxMovesOnAsTab", [](Teclado& t) {
        t.LoadDemo();
        TfrmConsDesEtiq* tela = t.Tela();
        t.FocusOn(tela->depDtIniEmiss->Editor());
        t.Press(Qt::Key_Return);
        EXPECT_EQ(t.Focused(), tela->depDtFinEmiss->Editor());
        t.FocusOn(tela->edtNumIni);
        t.Press(Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_EQ(t.Focused(), tela->edtNumFin);
        // The last box: Enter goes where Tab goes, out of the panel and through its checks.
        t.FocusOn(tela->edtNumFin);
        t.Press(Qt::Key_Tab);
        QWidget* afterTab = t.Focused();
        t.FocusOn(tela->edtNumFin);
        t.Press(Qt::Key_Return);
        EXPECT_EQ(t.Focused(), afterTab);
    }},
    TKeyPath{"EnterOnAnInvoiceOpensItsItems", [](Teclado& t) {
        t.OnFirstInvoice();
        t.Press(Qt::Key_Return);
        t.ExpectItemsOfTheInvoiceOpened();
    }},
    TKeyPath{"DoubleClickOnAnInvoiceOpensItsItems", [](Teclado& t) {
        t.OnFirstInvoice();
        TDBGrid* grid = t.Tela()->dbgPadrao;
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 1)).center());
        t.ExpectItemsOfTheInvoiceOpened();
    }},
    TKeyPath{"CtrlTabChangesThePageBothWays", [](Teclado& t) {
        t.OnFirstInvoice();
        TfrmConsDesEtiq* tela = t.Tela();
        t.Press(Qt::Key_Tab, Qt::ControlModifier);
        EXPECT_EQ(tela->pgcPadrao->ActivePage(), tela->tshFormulario);
        EXPECT_EQ(tela->cdsProdEtiq->RecordCount(), 4);
        EXPECT_TRUE(tela->sbtImprimir->isEnabled()) << "the page change ran the command rules";
        t.Press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(tela->pgcPadrao->ActivePage(), tela->tshFolhaDados);
        EXPECT_FALSE(tela->sbtImprimir->isEnabled());
    }},
    TKeyPath{"F2PutsTheFocusInTheBarcodeField", [](Teclado& t) {
        t.OpenLabels();
        t.Press(Qt::Key_F2);
        EXPECT_EQ(t.Focused(), t.Tela()->edtCdBarProd);
    }},
    TKeyPath{"F5ReadsTheInvoiceAgainAsVerifyDoes", [](Teclado& t) {
        t.OpenLabels();
        t.Press(Qt::Key_F5);
        EXPECT_EQ(t.Server().Calls(QStringLiteral("GetProduto")).size(), 1);
    }},
    TKeyPath{"F6AsksTheGroupingQuestionOnlyWithTwoMarks", [](Teclado& t) {
        t.OpenLabels();
        t.MarkLabels({0});
        t.Press(Qt::Key_F6);
        EXPECT_TRUE(t.Ui().Texts(TUiEntryKind::Question).isEmpty()) << "Group is disabled with one mark";
        EXPECT_FALSE(t.Tela()->mniAgrupar->isEnabled());
        t.MarkLabels({1});
        EXPECT_TRUE(t.Tela()->mniAgrupar->isEnabled());
        t.Ui().Answers.enqueue(false);
        t.Press(Qt::Key_F6);
        EXPECT_EQ(t.Ui().Texts(TUiEntryKind::Question),
                  QStringList{QStringLiteral("Tem certeza que deseja agrupar as etiquetas selecionadas?")});
    }},
    TKeyPath{"F7OpensTheSplitScreenOnlyWithOneMark", [](Teclado& t) {
        t.OpenLabels();
        t.Press(Qt::Key_F7);
        EXPECT_TRUE(t.Ui().Texts(TUiEntryKind::Modal).isEmpty());
        t.MarkLabels({0});
        EXPECT_TRUE(t.Tela()->mniDesmembrar->isEnabled());
        t.Press(Qt::Key_F7);
        EXPECT_EQ(t.Ui().Texts(TUiEntryKind::Modal), QStringList{QStringLiteral("Desmembramento")});
    }},
    TKeyPath{"F8OpensTheReportScreenAndTheMenuEntryTheSame", [](Teclado& t) {
        t.OpenLabels();
        t.Press(Qt::Key_F8);
        EXPECT_EQ(t.Ui().Texts(TUiEntryKind::Modal), QStringList{QStringLiteral("Consulta Etiquetas")});
    }},
    TKeyPath{"KeysAreShownInTheMenusAndToolTips", [](Teclado& t) {
        TfrmConsDesEtiq* tela = t.Tela();
        EXPECT_EQ(tela->btnDesmembrar->toolTip(), QStringLiteral("Desmembrar (F7)"));
        EXPECT_EQ(tela->btnAgrupar->toolTip(), QStringLiteral("Agrupar (F6)"));
        EXPECT_EQ(tela->sbtVerificar->toolTip(), QStringLiteral("Verificar (F5)"));
        EXPECT_EQ(tela->sbtImprimir->toolTip(), QStringLiteral("Imprimir (F8)"));
        EXPECT_EQ(tela->mniDesmembrar->text(), QStringLiteral("&Desmembrar\tF7"));
        EXPECT_EQ(tela->mniAgrupar->text(), QStringLiteral("&Agrupar\tF6"));
        EXPECT_EQ(tela->mniVerificar->text(), QStringLiteral("&Verificar\tF5"));
        EXPECT_EQ(tela->mniImprimir->text(), QStringLiteral("&Imprimir\tF8"));
        EXPECT_EQ(tela->mniCodBarras->shortcut(), QKeySequence(Qt::Key_F2));
    }},
    TKeyPath{"InvoiceNumberBoxesRefuseLetters", [](Teclado& t) {
        t.LoadDemo();
        TEdit* box = t.Tela()->edtNumIni;
        t.FocusOn(box);
        QTest::keyClicks(box, QStringLiteral("12a-3b"));
        EXPECT_EQ(box->Text(), QStringLiteral("123"));
        box->selectAll();
        box->insert(QStringLiteral("NF 45"));
        EXPECT_EQ(box->Text(), QStringLiteral("123")) << "a pasted text with letters is refused too";
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(box->selectedText(), QStringLiteral("123"));
    }}));
