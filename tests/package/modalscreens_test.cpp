// The split and report screens: opened modally from the query screen, built afresh each time.

#include "modulefixture.h"
#include "screens/Cli_est99010/cli_est99010.h"
#include "screens/Cli_est99020/cli_est99020.h"

#include <QPointer>

#include <optional>

namespace {

class ModalScreensTest : public ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        IniProc();
        ui.Clear();
        ui.OnModal = [this](TForm* form) {
            shown << QPointer<TForm>(form);
            busyWhileShown = QGuiApplication::overrideCursor() != nullptr;
            modalWhileShown = form->IsModal();
        };
    }

    QList<QPointer<TForm>> shown;
    std::optional<bool> busyWhileShown;
    bool modalWhileShown = false;
};

TEST_F(ModalScreensTest, SplitScreenShowsModallyAndEachOpeningBuildsAFreshOne)
{
    CriaFrmDesmembra();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(modalWhileShown);
    EXPECT_EQ(busyWhileShown, false) << "the dialog must not run under the busy cursor";
    EXPECT_FALSE(boStCriado);
    auto* split = qobject_cast<TfrmDesmembramento*>(shown[0].data());
    ASSERT_NE(split, nullptr);
    EXPECT_EQ(split->Caption(), "Desmembramento");
    EXPECT_EQ(split->lblCodTela->text(), "Est99020");
    EXPECT_EQ(split->minimumSize(), QSize(558, 396));
    EXPECT_EQ(split->maximumSize(), QSize(558, 396));

    DeleteClosedScreens();
    EXPECT_TRUE(shown[0].isNull());
    EXPECT_EQ(frmDesmembramento, nullptr);

    CriaFrmDesmembra();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_FALSE(shown[1].isNull());
    // (Closing the split screen refreshes the query screen from the server, which these tests
    // do not run; that error box is not the concern here.)
    EXPECT_EQ(ui.Texts(TUiEntryKind::Modal), QStringList({"Desmembramento", "Desmembramento"}));
}

TEST_F(ModalScreensTest, ReportScreenShowsModallyResizableWithItsReportCode)
{
    CriaRelConsDesEtiq();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(modalWhileShown);
    EXPECT_EQ(busyWhileShown, false);
    EXPECT_FALSE(boIdCriado);
    auto* report = qobject_cast<TfrmRelConsDesEtiq*>(shown[0].data());
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->Caption(), "Consulta Etiquetas");
    EXPECT_EQ(report->lblCodTela->text(), "Est99010");
    EXPECT_EQ(report->lblCodRel->text(), "EST990");
    EXPECT_EQ(report->size(), QSize(824, 461));
    EXPECT_NE(report->minimumSize(), report->maximumSize());

    DeleteClosedScreens();
    EXPECT_EQ(frmRelConsDesEtiq, nullptr);
    CriaRelConsDesEtiq();
    EXPECT_EQ(shown.size(), 2);
}

TEST_F(ModalScreensTest, ModalScreensLeaveTheQueryScreenOpen)
{
    TfrmConsDesEtiq* query = frmConsDesEtiq;
    CriaFrmDesmembra();
    CriaRelConsDesEtiq();
    DeleteClosedScreens();
    EXPECT_TRUE(bostcriado);
    EXPECT_EQ(frmConsDesEtiq, query);
    EXPECT_TRUE(query->netConsDesEtiq->Connected());
}

} // namespace
