#pragma once
// TForm: the common base of the host's screens.
//
// Creation: build a screen with CreateForm<T>(...), which constructs it and then runs its
// FormCreate (C++ cannot dispatch to a derived class from a constructor). An error in FormCreate
// is shown in the error box and the screen is still returned, as the host has always done.
// Showing: Show() opens it as a child window of the host's main window when the host has
// registered its child-window area (SetMainArea), else as a top-level window; showing it again
// brings it to the front. ShowModal() shows it modally through the UI services and returns its
// modal result when it has closed. FormShow runs once each time the screen is opened (restoring it from
// minimised is not a new opening),
// FormActivate each time it becomes the active window.
// Closing: Close() (or the window's close button) runs FormClose with a close action, caHide by
// default: caNone keeps the screen open, caHide hides it, caMinimize minimises it, caFree hides it
// and deletes it once control is back in the event loop (so the caller may still touch it). An
// error in FormClose keeps the screen open. closed() is emitted when the screen has closed.
// Size and place: a screen opens where the person left it the last time on this workstation
// (TWorkstation, by screen class), when that is still in reach; else at its own bounds.

#include <QString>
#include <QWidget>

class QMdiArea;
class QMdiSubWindow;

enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

class TForm : public QWidget {
    Q_OBJECT
public:
    explicit TForm(QWidget* owner = nullptr);
    ~TForm() override;

    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString& caption) { setWindowTitle(caption); }

    virtual void FormCreate(QObject* sender);
    virtual void FormShow(QObject* sender);
    virtual void FormActivate(QObject* sender);
    virtual void FormClose(QObject* sender, TCloseAction& action);

    void Show();
    int ShowModal();
    void Close();
    bool IsModal() const { return modal_; }
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result);

    TWindowState WindowState() const;
    void SetWindowState(TWindowState state);

    // Outer position and size (in the child-window area, or on the screen).
    void SetBounds(int left, int top, int width, int height);
    void SetClientSize(int width, int height);
    // A fixed single border: the person cannot resize the screen.
    void SetFixedBorder(bool fixed);
    // A child window that opens filling the child-window area, the main window's size, unless
    // the person left it elsewhere the last time (a screen the clerk works in all day).
    void SetOpensFillingArea(bool fills) { fillsArea_ = fills; }

    QMdiSubWindow* SubWindow() const { return sub_; }
    // The control of this screen that has (or last had) the focus; nullptr when none.
    QWidget* ActiveControl() const { return focusWidget(); }

    static void SetMainArea(QMdiArea* area);
    static QMdiArea* MainArea();

    // Runs FormCreate through the event guard; CreateForm calls it once.
    void RunCreate();
    // Runs FormShow once per opening; Show and ShowModal run it before the window appears, so the
    // focus FormShow gives is where the window starts.
    void RunShowStep();

signals:
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* Frame() const;
    QString BoundsKey() const;
    // True when the remembered place was in reach and taken.
    bool RecallBounds();
    void RememberBounds();

    QMdiSubWindow* sub_ = nullptr;
    bool modal_ = false;
    bool created_ = false;
    bool showRan_ = false;
    bool fillsArea_ = false;
    int modalResult_ = 0;
    QRect bounds_;
};

template <class T, class... Args>
T* CreateForm(Args&&... args)
{
    T* form = new T(std::forward<Args>(args)...);
    form->RunCreate();
    return form;
}
