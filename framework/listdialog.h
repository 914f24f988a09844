#pragma once
// TListDialog: the window of the multi-selection list (PesquisaLista): one row per record with a
// check box, the request's columns, buttons to mark and unmark all, OK and cancel. Exec returns
// false on cancel; on OK it writes the checked rows to request.chosen.

#include "framework/uiservices.h"

#include <QDialog>

class QTableWidget;

class TListDialog : public QDialog {
    Q_OBJECT
public:
    TListDialog(QWidget* owner, const TListRequest& request);

    bool Exec(TListRequest& request);

private:
    void SetAll(bool checked);

    QTableWidget* table_;
};
