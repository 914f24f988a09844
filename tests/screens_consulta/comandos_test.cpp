// Which commands the screen offers as the clerk works: Split, Group, print and find, and the
// split and report screens they open.

#include "consultafixture.h"

#include "framework/form.h"
#include "package/pkg_est99000.h"
#include "support/consultascreen.h"

#include <QTest>

namespace {

const QString kNota1 = QStringLiteral("0000000001");

// Split, Group, print and find, enabled or not.
struct TState {
    bool split, group, print, find;
    bool operator==(const TState&) const = default;
};

void PrintTo(const TState& s, std::ostream* os)
{
    *os << "{split " << s.split << ", group " << s.group << ", print " << s.print << ", find " << s.find << "}";
}

} // namespace

class Comandos : public ConsultaTest {
protected:
    TState State() const
    {
        return {tela->btnDesmembrar->isEnabled(), tela->btnAgrupar->isEnabled(), tela->sbtImprimir->isEnabled(),
                tela->sbtProcurar->isEnabled()};
    }
};

TEST_F(Comandos, TheInvoicePageOffersOnlyFindAndOnlyFromTheInvoiceGrid)
{
    LoadDemo();
    SearchAll();
    EXPECT_EQ(State(), (TState{false, false, false, true}));
    EXPECT_FALSE(tela->mniImprimir->isEnabled());
    EXPECT_FALSE(tela->mniVisualizar->isEnabled());
    // Invoices are never inserted, changed or deleted on this screen.
    for (QWidget* button : {static_cast<QWidget*>(tela->sbtIncluir), static_cast<QWidget*>(tela->sbtAlterar),
                            static_cast<QWidget*>(tela->sbtExcluir)})
        EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
    EXPECT_FALSE(tela->mniIncluir->isEnabled());
}

TEST_F(Comandos, OneMarkOffersSplitTwoOfferGroupAndUnmarkingOneOffersSplitAgain)
{
    OpenLabels();
    EXPECT_EQ(State(), (TState{false, false, true, true}));
    MarkLabels({0});
    EXPECT_EQ(State(), (TState{true, false, true, true}));
    MarkLabels({1});
    EXPECT_EQ(State(), (TState{false, true, true, true}));
    EXPECT_TRUE(tela->mniImprimir->isEnabled());
    MarkLabels({0});
    EXPECT_EQ(State(), (TState{true, false, true, true}));
}

TEST_F(Comandos, AnItemMoveTakesSplitAndGroupAwayAndAnItemWithoutLabelsPrintAndFind)
{
    OpenLabels();
    MarkLabels({0, 1});
    ClickItem(2);
    EXPECT_EQ(Focused(), tela->dbgItemProduto);
    EXPECT_EQ(State(), (TState{false, false, false, false}));
    ClickItem(3);
    EXPECT_EQ(State(), (TState{false, false, true, true}));
}

TEST_F(Comandos, FindFromTheLabelGridNeedsItemsAndMovingTheFocusAloneChangesNothing)
{
    OpenLabels();
    ClickItem(2);
    EXPECT_FALSE(tela->sbtProcurar->isEnabled());
    tela->dbgEtiquetaGerada->setFocus();
    EXPECT_FALSE(tela->sbtProcurar->isEnabled()) << "only the next state change re-evaluates";
    ClickItem(3);
    tela->dbgEtiquetaGerada->setFocus();
    MarkLabels({0});
    EXPECT_TRUE(tela->sbtProcurar->isEnabled());

    ui.FindAnswers.enqueue({QStringLiteral("CDCODBARRAETIQ"), QStringLiteral("00002")});
    ui.Clear();
    Click(tela->sbtProcurar);
    EXPECT_EQ(ui.Texts(TUiEntryKind::Find).size(), 1);
    EXPECT_EQ(Current(tela->cdsEtiqueta, "CDCODBARRAETIQ"), Barcode(kNota1, "0004", "00002"));
}

TEST_F(Comandos, SplitOpensTheSplitScreenOnTheFirstMarkedLabelInGridOrder)
{
    OpenLabels();
    // Marked before the item move: the tick stays and still counts when the item is back.
    MarkLabels({1});
    ClickItem(1);
    ClickItem(0);
    ASSERT_EQ(inEtiqMark, 1);
    EXPECT_TRUE(tela->btnDesmembrar->isEnabled());
    QString current;
    ui.OnModal = [&](TForm*) { current = Current(frmConsDesEtiq->cdsEtiqueta, "CDCODBARRAETIQ"); };
    Click(tela->btnDesmembrar);
    EXPECT_EQ(ui.Texts(TUiEntryKind::Modal), QStringList{QStringLiteral("Desmembramento")});
    EXPECT_EQ(current, Barcode(kNota1, "0001", "00002"));
}

TEST_F(Comandos, PrintOpensTheReportScreen)
{
    OpenLabels();
    Click(tela->sbtImprimir);
    EXPECT_EQ(ui.Texts(TUiEntryKind::Modal), QStringList{QStringLiteral("Consulta Etiquetas")});
}


// Marks and labels chosen for printing live only on this screen: closing it with any of them
// asks first, and No keeps the screen open as it was.
TEST_F(Comandos, ClosingWithWorkLeftAsksFirstAndNoKeepsTheScreen)
{
    const struct {
        bool mark, printable;
        const char* question;
    } cases[] = {
        {false, false, nullptr},
        {true, false, "Há etiquetas marcadas. Deseja fechar a tela assim mesmo?"},
        {false, true, "Há etiquetas novas ainda não impressas. Deseja fechar a tela assim mesmo?"},
        {true, true, "Há etiquetas marcadas e etiquetas novas ainda não impressas. Deseja fechar a tela assim mesmo?"},
    };
    for (const auto& c : cases) {
        const std::string name = c.question ? c.question : "nothing left";
        IniProc();
        tela = frmConsDesEtiq;
        ASSERT_NE(tela, nullptr);
        tela->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(tela));
        OpenLabels();
        // The label that comes marked from the server is unmarked, so that only what the case sets is left.
        ClickItem(1);
        DoubleClickLabel(1);
        ASSERT_TRUE(TickedBarcodes(tela).isEmpty()) << name;
        ClickItem(3);
        if (c.mark)
            MarkLabels({0});
        if (c.printable) {
            // The report screen chooses printable labels in the query screen's own list.
            tela->cdsRelEtiquetas->Edit();
            tela->cdsRelEtiquetas->FieldByName(QStringLiteral("IDCHECK"))->SetAsString(QStringLiteral("C"));
            tela->cdsRelEtiquetas->Post();
        }
        ui.Clear();
        if (c.question) {
            ui.Answers.enqueue(false);
            tela->Close();
            EXPECT_EQ(ui.Log(), QStringList{QStringLiteral("question: ") + QString::fromUtf8(c.question)}) << name;
            EXPECT_TRUE(bostcriado) << name;
            EXPECT_TRUE(tela->isVisible()) << name;
            EXPECT_TRUE(tela->netConsDesEtiq->Connected()) << name;
            EXPECT_EQ(TickedBarcodes(tela).size(), c.mark ? 1 : 0) << name;
            ui.Clear();
            ui.Answers.enqueue(true);
        }
        tela->Close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(bostcriado) << name;
        EXPECT_EQ(ui.Texts(TUiEntryKind::Question).size(), c.question ? 1 : 0) << name;
        tela = nullptr;
    }
}
