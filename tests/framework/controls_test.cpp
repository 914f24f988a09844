#include "fixtures.h"

#include "framework/dbedit.h"
#include "framework/dbtext.h"
#include "framework/edit.h"
#include "framework/listdialog.h"
#include "framework/routines.h"
#include "platform/datasource.h"

#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

class Edits : public UiTest {
protected:
    QWidget window;
    TEdit* edit = new TEdit(&window, QStringLiteral("edtPeso"));
    TEdit* other = new TEdit(&window);

    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        layout->addWidget(other);
        ShowActive(window);
        edit->setFocus();
    }
};

TEST_F(Edits, AKeyPressFilterWithMaxNumberStopsTypingAtTheDigitLimits)
{
    edit->OnKeyPress = [this](QObject*, QChar& key) {
        const bool kept = key.unicode() == 8 || key.isDigit() || key == QLatin1Char(',');
        if (!kept)
            key = QChar(0);
        MaxNumber(edit->Text(), 3, 2, key, edit->SelStart(), edit->SelLength());
    };
    QTest::keyClicks(edit, QStringLiteral("12a34,5-67"));
    EXPECT_EQ(edit->Text(), QStringLiteral("123,56"));
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->Text(), QStringLiteral("123,5"));
    // Select all is no typed character the filter could refuse.
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(edit->selectedText(), QStringLiteral("123,5"));
    QTest::keyClicks(edit, QStringLiteral("7"));
    EXPECT_EQ(edit->Text(), QStringLiteral("7"));
}

TEST_F(Edits, AKeyPressHandlerMayTypeAnotherCharacter)
{
    edit->OnKeyPress = [](QObject*, QChar& key) {
        if (key == QLatin1Char('.'))
            key = QLatin1Char(',');
    };
    QTest::keyClicks(edit, QStringLiteral("2.5"));
    EXPECT_EQ(edit->Text(), QStringLiteral("2,5"));
}

TEST_F(Edits, EnterReachesTheKeyDownHandlerWhichMayFailSafely)
{
    int enters = 0;
    edit->OnKeyDown = [&](QObject*, int& key, TShiftState) {
        if (key == 13) {
            ++enters;
            MensErro(QStringLiteral("Peso deve ser informado."), true);
        }
    };
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, QStringLiteral("7"));
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(edit->Text(), QStringLiteral("7"));
    EXPECT_EQ(ui.Texts(TUiEntryKind::Error), QStringList{QStringLiteral("Peso deve ser informado.")});
}

class DataControls : public Edits {
protected:
    std::unique_ptr<TClientDataSet> set = MakeSet(NumberedRows(3));
    TDataSource source;
    TDBEdit* dbEdit = new TDBEdit(&window, QStringLiteral("dbeNmProduto"));
    TDBText* dbText = new TDBText(&window, QStringLiteral("dbtNome"));

    void SetUp() override
    {
        Edits::SetUp();
        window.layout()->addWidget(dbEdit);
        window.layout()->addWidget(dbText);
        source.SetDataSet(set.get());
        dbEdit->SetDataSource(&source);
        dbEdit->SetDataField(QStringLiteral("NAME"));
        dbText->SetDataSource(&source);
        dbText->SetDataField(QStringLiteral("CODE"));
    }
};

TEST_F(DataControls, FieldControlsShowTheCurrentRowAndFollowTheCursor)
{
    EXPECT_EQ(dbEdit->text(), QStringLiteral("Item 1"));
    EXPECT_EQ(dbText->text(), QStringLiteral("0001"));
    set->Next();
    EXPECT_EQ(dbEdit->text(), QStringLiteral("Item 2"));
    EXPECT_EQ(dbText->text(), QStringLiteral("0002"));
    set->Edit();
    set->FieldByName(QStringLiteral("CODE"))->SetAsString(QStringLiteral("0020"));
    EXPECT_EQ(dbText->text(), QStringLiteral("0020"));
    set->Cancel();
    set->Close();
    EXPECT_EQ(dbText->text(), QString());
}

TEST_F(DataControls, TypingIntoAFieldEditWritesTheFieldWhenLeavingIt)
{
    dbEdit->setFocus();
    dbEdit->selectAll();
    QTest::keyClicks(dbEdit, QStringLiteral("Parafuso"));
    other->setFocus();
    EXPECT_EQ(set->State(), TDataSetState::Edit);
    EXPECT_EQ(set->FieldByName(QStringLiteral("NAME"))->AsString(), QStringLiteral("Parafuso"));
}

TEST_F(DataControls, AWriteTheFieldRefusesIsShownAndTheEditShowsTheFieldAgain)
{
    dbEdit->setFocus();
    dbEdit->selectAll();
    QTest::keyClicks(dbEdit, QString(41, QLatin1Char('x')));
    other->setFocus();
    EXPECT_EQ(ui.Texts(TUiEntryKind::Error).size(), 1);
    EXPECT_EQ(set->FieldByName(QStringLiteral("NAME"))->AsString(), QStringLiteral("Item 1"));
    EXPECT_EQ(dbEdit->text(), QStringLiteral("Item 1"));
}

TEST(ListDialogWindow, ReturnsTheCheckedRowsOnOkAndHonoursSingleChoice)
{
    TListRequest request;
    request.title = QStringLiteral("Lista de Filiais");
    request.columns = {QStringLiteral("Código"), QStringLiteral("Nome")};
    request.rows = {{QStringLiteral("0001"), QStringLiteral("Matriz")}, {QStringLiteral("0002"), QStringLiteral("Sul")},
                    {QStringLiteral("0003"), QStringLiteral("Norte")}};
    request.chosen = {1};
    {
        TListDialog dialog(nullptr, request);
        auto* table = dialog.findChild<QTableWidget*>();
        EXPECT_EQ(table->item(1, 0)->checkState(), Qt::Checked);
        QTimer::singleShot(0, &dialog, [&] {
            table->item(2, 0)->setCheckState(Qt::Checked);
            dialog.accept();
        });
        ASSERT_TRUE(dialog.Exec(request));
        EXPECT_EQ(request.chosen, (QList<int>{1, 2}));
    }
    request.singleChoice = true;
    TListDialog single(nullptr, request);
    auto* table = single.findChild<QTableWidget*>();
    QTimer::singleShot(0, &single, [&] {
        table->item(0, 0)->setCheckState(Qt::Checked);
        single.accept();
    });
    ASSERT_TRUE(single.Exec(request));
    EXPECT_EQ(request.chosen, (QList<int>{0}));
}

TEST_F(UiTest, KeysWithoutAVirtualKeyCodeReachTheEditAlthoughAKeyDownHandlerIsSet)
{
    TEdit edit;
    QList<int> seen;
    edit.OnKeyDown = [&](QObject*, int& key, TShiftState) { seen.append(key); };
    edit.show();
    QTest::keyClicks(&edit, QStringLiteral("2,5-x.1"));
    EXPECT_EQ(edit.text(), QStringLiteral("2,5-x.1"));
    EXPECT_FALSE(seen.contains(0));
}
