#include "framework/qtuiservices.h"

#include "framework/finddialog.h"
#include "framework/form.h"
#include "framework/listdialog.h"
#include "framework/progresswindow.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace {

QWidget* Owner(QWidget* owner)
{
    return owner ? owner->window() : QApplication::activeWindow();
}

// The progress window lives until the application closes down; widgets must go before it does.
QPointer<TProgressWindow> progressWindow;

void DropProgressWindow()
{
    delete progressWindow.data();
}

TProgressWindow* ProgressWindow()
{
    if (!progressWindow) {
        progressWindow = new TProgressWindow;
        qAddPostRoutine(DropProgressWindow);
    }
    return progressWindow;
}

} // namespace

TQtUiServices::TQtUiServices() = default;
TQtUiServices::~TQtUiServices() = default;

void TQtUiServices::Information(QWidget* owner, const QString& text)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Informação"), text, QMessageBox::NoButton, Owner(owner));
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

bool TQtUiServices::Question(QWidget* owner, const QString& text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmação"), text, QMessageBox::NoButton, Owner(owner));
    QPushButton* yes = box.addButton(QStringLiteral("Sim"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("Não"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void TQtUiServices::Error(QWidget* owner, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Erro"), text, QMessageBox::NoButton, Owner(owner));
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

void TQtUiServices::ShowProgress(QWidget* owner, int kind, const QString& caption)
{
    TProgressWindow* progress = ProgressWindow();
    if (!progress->isVisible()) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        cursorSet_ = true;
    }
    progress->Present(owner, kind, caption);
}

void TQtUiServices::HideProgress()
{
    if (!progressWindow || !progressWindow->isVisible())
        return;
    progressWindow->hide();
    if (cursorSet_)
        QApplication::restoreOverrideCursor();
    cursorSet_ = false;
}

bool TQtUiServices::SelectFromList(QWidget* owner, TListRequest& request)
{
    TListDialog dialog(Owner(owner), request);
    return dialog.Exec(request);
}

void TQtUiServices::Find(QWidget* owner, TClientDataSet* dataSet)
{
    TFindDialog dialog(Owner(owner), dataSet);
    dialog.exec();
}

int TQtUiServices::ShowModal(TForm* form)
{
    QPointer<TForm> alive(form);
    QEventLoop loop;
    QObject::connect(form, &TForm::closed, &loop, &QEventLoop::quit);
    QObject::connect(form, &QObject::destroyed, &loop, &QEventLoop::quit);
    form->setWindowModality(Qt::ApplicationModal);
    form->show();
    form->activateWindow();
    loop.exec(QEventLoop::DialogExec);
    return alive ? alive->ModalResult() : 0;
}
