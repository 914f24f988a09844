#pragma once
// The client's main window: a menu bar with the module's entry "Etiquetas > Consulta/
// Desmembramento Etiqueta", a child-window area where the module's screens open, and a status
// bar with the session (branch, application server, host database), which stays while menu
// entries are hovered. Choosing the menu entry
// emits openLabelModule; the window itself knows nothing of the module library. Closing the
// window closes its child windows first and stays open when one of them refuses to close.

#include <QMainWindow>

class QAction;
class QLabel;
class QMdiArea;

class TMainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainWindow(QWidget* parent = nullptr);

    QMdiArea* ChildArea() const { return area_; }
    QAction* LabelModuleAction() const { return openLabels_; }
    void ShowSession(const QString& branch, const QString& server, const QString& database);
    QString SessionText() const;

signals:
    void openLabelModule();

protected:
    // Closes the child windows first, so that each screen runs its own closing (and may refuse
    // it, which keeps the client open).
    void closeEvent(QCloseEvent* event) override;

private:
    QMdiArea* area_;
    QAction* openLabels_;
    QLabel* session_;
};
