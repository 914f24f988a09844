#pragma once
// TProgressWindow: the small window of the progress animation: the caption, an icon for the kind
// of work (1 receiving data, 6 generating labels or updating the server) and a running bar. It
// never takes the focus from the screen that shows it, and paints itself at once, because the
// work it stands for keeps the user-interface thread busy.

#include <QWidget>

class QLabel;

class TProgressWindow : public QWidget {
    Q_OBJECT
public:
    TProgressWindow();

    void Present(QWidget* owner, int kind, const QString& caption);

private:
    QLabel* icon_;
    QLabel* caption_;
};
