// Qt's own dialogs speak Brazilian Portuguese once the client has loaded Qt's translations,
// whatever the machine's locale: the print dialog and the print preview read here are the ones
// the report screen opens.
#include "host/portuguese.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QDate>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <gtest/gtest.h>

namespace {

// The texts of the dialog's children of a kind (buttons, actions), without their accelerators.
template <class T>
QStringList Texts(const QWidget& dialog)
{
    QStringList texts;
    for (const T* child : dialog.findChildren<T*>())
        if (!child->text().isEmpty())
            texts.append(child->text().remove(QLatin1Char('&')));
    return texts;
}

TEST(Portuguese, StandardDialogsShowPortugueseTextsOnAnyMachineLocale)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ASSERT_TRUE(InstallPortuguese(*qApp)) << "Qt's translations (qt6-translations-l10n) are not installed";
    EXPECT_EQ(QLocale().name(), "pt_BR");

    QPrinter printer;
    QPrintDialog print(&printer);
    print.show();
    const QStringList buttons = Texts<QAbstractButton>(print);
    for (const char* text : {"Imprimir", "Cancelar", "Propriedades"})
        EXPECT_TRUE(buttons.contains(QString::fromUtf8(text))) << text << " not in " << buttons.join(", ").toStdString();
    for (const char* english : {"Print", "Cancel", "Properties", "Options >>"})
        EXPECT_FALSE(buttons.contains(QString::fromUtf8(english))) << english;

    QPrintPreviewDialog preview(&printer);
    preview.show();
    const QStringList actions = Texts<QAction>(preview);
    EXPECT_TRUE(actions.contains(QStringLiteral("Imprimir"))) << actions.join(", ").toStdString();
    for (const char* english : {"Print", "Page setup", "Next page", "Zoom in"})
        EXPECT_FALSE(actions.contains(QString::fromUtf8(english))) << english;

    QMessageBox box(QMessageBox::Question, QStringLiteral("Pergunta"), QStringLiteral("Continuar?"),
                    QMessageBox::Yes | QMessageBox::No);
    box.show();
    EXPECT_EQ(Texts<QAbstractButton>(box), (QStringList{"Sim", "Não"}));

    QCalendarWidget calendar;
    EXPECT_EQ(calendar.locale().monthName(3), "março");
}

}  // namespace
