#include "framework/form.h"

#include "framework/eventguard.h"
#include "framework/uiservices.h"
#include "framework/workstation.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScreen>

namespace {

QPointer<QMdiArea> mainArea;

} // namespace

TForm::TForm(QWidget* owner) : QWidget(owner, owner ? Qt::Window : Qt::WindowFlags())
{
    setAttribute(Qt::WA_DeleteOnClose, false);
}

TForm::~TForm() = default;

void TForm::FormCreate(QObject*) {}
void TForm::FormShow(QObject*) {}
void TForm::FormActivate(QObject*) {}
void TForm::FormClose(QObject*, TCloseAction&) {}

void TForm::SetMainArea(QMdiArea* area)
{
    mainArea = area;
}

QMdiArea* TForm::MainArea()
{
    return mainArea;
}

void TForm::RunCreate()
{
    if (created_)
        return;
    created_ = true;
    RunGuarded([this] { FormCreate(this); }, this);
}

QWidget* TForm::Frame() const
{
    return sub_ ? static_cast<QWidget*>(sub_) : const_cast<TForm*>(this);
}

void TForm::Show()
{
    if (!sub_ && mainArea && !isVisible()) {
        sub_ = mainArea->addSubWindow(this);
        sub_->setAttribute(Qt::WA_DeleteOnClose, false);
        sub_->setWindowIcon(windowIcon());
        if (bounds_.isValid())
            sub_->setGeometry(bounds_);
        if (!RecallBounds() && fillsArea_ && minimumSize() != maximumSize())
            sub_->setGeometry(mainArea->viewport()->rect());
        connect(mainArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
            if (window && window == sub_)
                RunGuarded([this] { FormActivate(this); }, this);
        });
    }
    RunShowStep();
    if (sub_) {
        show();  // a form closed with caHide was hidden inside its child window
        sub_->show();
        mainArea->setActiveSubWindow(sub_);
        sub_->raise();
        return;
    }
    if (bounds_.isValid())
        setGeometry(bounds_);
    RecallBounds();
    show();
    raise();
    activateWindow();
}

int TForm::ShowModal()
{
    modal_ = true;
    modalResult_ = 0;
    if (!parentWidget() && mainArea)
        setParent(mainArea->window(), Qt::Dialog);
    else if (parentWidget())
        setWindowFlags(Qt::Dialog | (windowFlags() & Qt::MSWindowsFixedSizeDialogHint));
    RecallBounds();
    RunShowStep();
    const int result = UiServices().ShowModal(this);
    return result;
}

void TForm::Close()
{
    if (sub_)
        sub_->close();
    else
        close();
}

void TForm::SetModalResult(int result)
{
    modalResult_ = result;
    if (modal_ && result != 0 && isVisible())
        Close();
}

TWindowState TForm::WindowState() const
{
    const QWidget* frame = Frame();
    if (frame->isMinimized())
        return TWindowState::wsMinimized;
    if (frame->isMaximized())
        return TWindowState::wsMaximized;
    return TWindowState::wsNormal;
}

void TForm::SetWindowState(TWindowState state)
{
    QWidget* frame = Frame();
    if (frame->isVisible()) {
        if (state == TWindowState::wsMinimized)
            frame->showMinimized();
        else if (state == TWindowState::wsMaximized)
            frame->showMaximized();
        else
            frame->showNormal();
        return;
    }
    const Qt::WindowStates flags = state == TWindowState::wsMinimized   ? Qt::WindowMinimized
                                 : state == TWindowState::wsMaximized ? Qt::WindowMaximized
                                                                      : Qt::WindowNoState;
    frame->setWindowState((frame->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized)) | flags);
}

void TForm::SetBounds(int left, int top, int width, int height)
{
    bounds_ = QRect(left, top, width, height);
    if (sub_)
        sub_->setGeometry(bounds_);
    else if (isWindow())
        setGeometry(bounds_);
    else
        resize(width, height);
}

void TForm::SetClientSize(int width, int height)
{
    resize(width, height);
    bounds_ = QRect();
}

void TForm::SetFixedBorder(bool fixed)
{
    if (fixed) {
        setFixedSize(size());
        return;
    }
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

QString TForm::BoundsKey() const
{
    return QStringLiteral("windows/%1").arg(QString::fromLatin1(metaObject()->className()));
}

bool TForm::RecallBounds()
{
    if (!TWorkstation::Enabled())
        return false;
    const QRect remembered = TWorkstation::Value(BoundsKey()).toRect();
    QWidget* frame = Frame();
    // Only where the person can still reach it: inside the child-window area, or on a screen.
    const QRect visible = sub_ ? mainArea->viewport()->rect()
                               : (frame->screen() ? frame->screen()->availableGeometry() : QRect());
    if (remembered.isEmpty() || !visible.intersects(remembered))
        return false;
    if (minimumSize() == maximumSize())  // a fixed border keeps its size
        frame->move(remembered.topLeft());
    else
        frame->setGeometry(remembered);
    return true;
}

void TForm::RememberBounds()
{
    const QWidget* frame = Frame();
    if (TWorkstation::Enabled() && WindowState() == TWindowState::wsNormal && frame->isVisible())
        TWorkstation::SetValue(BoundsKey(), frame->geometry());
}

void TForm::RunShowStep()
{
    // Once per opening: restoring a minimised child window shows the form again, but it is the
    // same opening and must not run the screen's start-up again.
    if (showRan_)
        return;
    showRan_ = true;
    RunGuarded([this] { FormShow(this); }, this);
}

void TForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        RunShowStep();
}

void TForm::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !sub_ && isActiveWindow())
        RunGuarded([this] { FormActivate(this); }, this);
}

void TForm::closeEvent(QCloseEvent* event)
{
    TCloseAction action = TCloseAction::caHide;
    if (!RunGuarded([&] { FormClose(this, action); }, this) || action == TCloseAction::caNone) {
        event->ignore();
        return;
    }
    if (action == TCloseAction::caMinimize) {
        event->ignore();
        SetWindowState(TWindowState::wsMinimized);
        return;
    }
    event->accept();
    RememberBounds();
    showRan_ = false;
    if (modal_) {
        // A modal window leaves the application's list of modal windows only when it is hidden
        // while still modal. Dropping the modality first would leave it on that list, and every
        // other window blocked for the mouse for the rest of the session, so it is hidden first.
        hide();
        setWindowModality(Qt::NonModal);
    }
    modal_ = false;
    if (action == TCloseAction::caFree) {
        if (sub_)
            sub_->deleteLater();
        else
            deleteLater();
    }
    emit closed();
}
