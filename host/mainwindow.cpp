#include "mainwindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>

TMainWindow::TMainWindow(QWidget* parent)
    : QMainWindow(parent), area_(new QMdiArea(this))
{
    setObjectName(QStringLiteral("frmPrincipal"));
    setWindowTitle(QStringLiteral("Cliente de Recebimento"));
    area_->setObjectName(QStringLiteral("mdiPrincipal"));
    area_->setViewMode(QMdiArea::SubWindowView);
    area_->setBackground(QColor(0x80, 0x80, 0x80));
    setCentralWidget(area_);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&Arquivo"));
    QAction* quit = file->addAction(QStringLiteral("&Sair"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu* labels = menuBar()->addMenu(QStringLiteral("&Etiquetas"));
    openLabels_ = labels->addAction(QStringLiteral("Consulta/Desmembramento Etiqueta"));
    openLabels_->setObjectName(QStringLiteral("actConsDesEtiq"));
    connect(openLabels_, &QAction::triggered, this, &TMainWindow::openLabelModule);

    QMenu* windows = menuBar()->addMenu(QStringLiteral("&Janelas"));
    connect(windows->addAction(QStringLiteral("Em &cascata")), &QAction::triggered,
            area_, &QMdiArea::cascadeSubWindows);
    connect(windows->addAction(QStringLiteral("&Lado a lado")), &QAction::triggered,
            area_, &QMdiArea::tileSubWindows);

    // A permanent widget, not a status message: the hints of hovered menu entries and buttons
    // replace the status message and would wipe the session line.
    session_ = new QLabel(this);
    session_->setObjectName(QStringLiteral("lblSessao"));
    statusBar()->addPermanentWidget(session_);

    resize(1100, 800);
}

void TMainWindow::ShowSession(const QString& branch, const QString& server, const QString& database)
{
    session_->setText(QStringLiteral("Filial %1  |  Servidor %2  |  Banco %3").arg(branch, server, database));
}

QString TMainWindow::SessionText() const
{
    return session_->text();
}

void TMainWindow::closeEvent(QCloseEvent* event)
{
    area_->closeAllSubWindows();
    for (QMdiSubWindow* child : area_->subWindowList()) {
        if (child->isVisible()) {
            event->ignore();
            return;
        }
    }
    event->accept();
}
