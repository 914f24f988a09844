#include "framework/progresswindow.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QStyle>
#include <QVBoxLayout>

TProgressWindow::TProgressWindow()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      icon_(new QLabel(this)), caption_(new QLabel(this))
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setObjectName(QStringLiteral("frmShowAvi"));
    auto* bar = new QProgressBar(this);
    bar->setRange(0, 0);
    bar->setTextVisible(false);
    bar->setFixedHeight(14);
    auto* top = new QHBoxLayout;
    top->addWidget(icon_);
    top->addWidget(caption_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(bar);
    setStyleSheet(QStringLiteral("TProgressWindow { border: 1px solid palette(dark); background: palette(window); }"));
    setFixedSize(320, 80);
}

void TProgressWindow::Present(QWidget* owner, int kind, const QString& caption)
{
    const QStyle::StandardPixmap pixmap = kind == 1 ? QStyle::SP_ArrowDown
                                        : kind == 6 ? QStyle::SP_BrowserReload
                                                    : QStyle::SP_MessageBoxInformation;
    icon_->setPixmap(style()->standardIcon(pixmap).pixmap(32, 32));
    caption_->setText(caption);
    QWidget* anchor = owner ? owner->window() : QApplication::activeWindow();
    if (anchor) {
        const QPoint centre = anchor->mapToGlobal(anchor->rect().center());
        move(centre - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
