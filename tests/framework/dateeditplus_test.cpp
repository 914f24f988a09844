#include "fixtures.h"

#include "framework/calendarpopup.h"
#include "framework/dateeditplus.h"
#include "framework/edit.h"
#include "framework/eventguard.h"
#include "framework/routines.h"
#include "platform/errors.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

class DateEdit : public UiTest {
protected:
    QWidget window;
    TDateEditPlus* date = new TDateEditPlus(&window, QStringLiteral("depDtIniEmiss"));
    TEdit* other = new TEdit(&window);

    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(date);
        layout->addWidget(other);
        ShowActive(window);
    }

    void Type(const QString& text)
    {
        date->setFocus();
        QTest::keyClicks(date->Editor(), text);
    }
};

TEST_F(DateEdit, AnEmptyEditIsEmptyAndItsDateIsDayZero)
{
    EXPECT_EQ(date->Text(), QString());
    EXPECT_TRUE(EmptyString(date->Text()));
    EXPECT_EQ(date->GetDate(), 0.0);
    EXPECT_TRUE(RunGuarded([&] { date->CheckValidDate(); }));
}

TEST_F(DateEdit, AClickAnywhereInAnEmptyEditStartsTypingAtTheDay)
{
    other->setFocus();
    QLineEdit* editor = date->Editor();
    QTest::mouseClick(editor, Qt::LeftButton, {}, QPoint(editor->width() - 8, editor->height() / 2));
    EXPECT_TRUE(editor->hasFocus());
    EXPECT_EQ(editor->cursorPosition(), 0);
    QTest::keyClicks(editor, QStringLiteral("09032027"));
    EXPECT_EQ(date->Text(), QStringLiteral("09/03/2027"));
}

TEST_F(DateEdit, ATypedDateIsReadAndDrawnInTheValidColour)
{
    date->SetValidDateColor(Qt::blue);
    Type(QStringLiteral("08122026"));
    EXPECT_EQ(date->Text(), QStringLiteral("08/12/2026"));
    EXPECT_EQ(date->GetDate(), EncodeDate(2026, 12, 8));
    EXPECT_EQ(date->Editor()->palette().color(QPalette::Text), QColor(Qt::blue));
    Type(QStringLiteral("\b"));
    EXPECT_NE(date->Editor()->palette().color(QPalette::Text), QColor(Qt::blue));
}

TEST_F(DateEdit, CheckValidDateRefusesADayThatDoesNotExistAndReturnsToTheEdit)
{
    Type(QStringLiteral("31022026"));
    other->setFocus();
    bool after = false;
    EXPECT_FALSE(RunGuarded([&] {
        date->CheckValidDate();
        after = true;
    }));
    EXPECT_FALSE(after);
    EXPECT_EQ(ui.Texts(TUiEntryKind::Error), QStringList{QStringLiteral("'31/02/2026' não é uma data válida.")});
    EXPECT_EQ(QApplication::focusWidget(), date->Editor());
    EXPECT_THROW(date->GetDate(), EConvertError);
}

TEST_F(DateEdit, APartlyTypedDateIsNotValid)
{
    Type(QStringLiteral("0812"));
    EXPECT_FALSE(date->IsValidDate());
    EXPECT_FALSE(EmptyString(date->Text()));
    EXPECT_FALSE(RunGuarded([&] { date->CheckValidDate(); }));
}

TEST_F(DateEdit, TheCalendarShowsTheGivenDayNamesAndWritesThePickedDay)
{
    date->SetDate(EncodeDate(2026, 2, 10));
    date->DropDown();
    TCalendarPopup* calendar = date->Calendar();
    ASSERT_NE(calendar, nullptr);
    EXPECT_EQ(calendar->Month(), QDate(2026, 2, 1));
    QStringList names;
    for (QLabel* label : calendar->findChildren<QLabel*>())
        names.append(label->toolTip());
    EXPECT_TRUE(names.contains(QStringLiteral("Terça")));
    EXPECT_TRUE(names.contains(QStringLiteral("Sábado")));
    QTest::mouseClick(calendar->DayButton(28), Qt::LeftButton);
    EXPECT_EQ(date->Text(), QStringLiteral("28/02/2026"));
    EXPECT_FALSE(calendar->isVisible());
}
