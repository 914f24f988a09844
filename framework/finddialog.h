#pragma once
// TFindDialog: the window of the find dialog (Procura): a field chooser over the set's visible
// fields, the value to look for, and the buttons find first, find next and close. A search that
// finds nothing shows "Registro não encontrado." through the information dialog.

#include <QDialog>

class QComboBox;
class QLineEdit;
class TClientDataSet;

class TFindDialog : public QDialog {
    Q_OBJECT
public:
    TFindDialog(QWidget* owner, TClientDataSet* dataSet);

private:
    void Search(bool fromStart);

    TClientDataSet* dataSet_;
    QComboBox* fields_;
    QLineEdit* value_;
};
