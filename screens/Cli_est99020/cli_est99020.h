#pragma once
// TfrmDesmembramento: the label split screen "Est99020", a modal dialog with a fixed border
// opened from the query screen for its current label (the source label). The clerk enters
// batches (a number of labels and the weight of each); every batch is checked against the source
// label's weight and the batches entered so far, shown as one row of the grid and expanded into
// one row per new label in cdsInsEtiqueta. Confirming numbers the new labels after the item's
// highest sequence, adds them to the query screen's printable-label list, inactivates the source
// label and sends the whole split in one setEtiqueta call through the query screen's connection;
// the screen then closes. Closing, whatever closes it, clears the created flag and refreshes the
// query screen on the same item; closing with batches not confirmed asks first, and on No the
// screen stays open with them. "Acumulado" shows the total in the pattern of "Origem".
//
// A label number has five digits in the barcode: a batch asking for more labels than numbers are
// left for the item (up to 99999) is refused at once, and so is a confirmation that would number
// past it, before anything is sent.
//
// Errors: a failed check takes the progress window down and shows its message through MensErro
// (the handler ends, nothing is added); a box that does not convert shows the conversion's
// error; a refused or failed send
// shows the server's message and leaves the screen open with its batches, the label rows and the
// printable-label list as they were before the confirmation, so confirming again sends the same
// split. Every dialog, question and progress window goes through the framework's UI services.

#include "framework/button.h"
#include "framework/dbedit.h"
#include "framework/edit.h"
#include "framework/frmpadraogrid.h"
#include "framework/groupbox.h"
#include "framework/panel.h"
#include "platform/clientdataset.h"

#include <QLabel>

class TfrmDesmembramento : public TfrmPadraoGrid {
    Q_OBJECT
public:
    explicit TfrmDesmembramento(QWidget* owner = nullptr);
    ~TfrmDesmembramento() override;

    void FormShow(QObject* sender) override;
    void FormActivate(QObject* sender) override;
    void FormClose(QObject* sender, TCloseAction& action) override;
    void dtsPadraoStateChange(QObject* sender) override;
    void sbtConfirmarClick(QObject* sender) override;
    void sbtCancelarClick(QObject* sender) override;

    void btnGeraEtiquetaClick(QObject* sender);
    // false: the checks of a new batch; true: the split must add up to the source weight.
    // Returns only when the checks pass; otherwise MensErro (or the number conversion) has
    // ended the running handler.
    void Vd_GeraEtiqueta(bool confirming);
    // "I" expands the batch being inserted into label rows, "E" withdraws the batch being
    // deleted; any other operation does nothing.
    void Grava_HelEtiquetas(const QString& operation);
    void ControlaBotoes();

    void cdsEtiquetaNewRecord(TClientDataSet* dataSet);
    void cdsEtiquetaBeforePost(TClientDataSet* dataSet);
    void cdsEtiquetaBeforeDelete(TClientDataSet* dataSet);
    void cdsEtiquetaAfterDelete(TClientDataSet* dataSet);
    void edtQtdEtiquetaKeyPress(QObject* sender, QChar& key);
    void edtPesoKeyPress(QObject* sender, QChar& key);
    void edtQtdEtiquetaKeyDown(QObject* sender, int& key, TShiftState shift);
    void edtPesoKeyDown(QObject* sender, int& key, TShiftState shift);

    // product and source label
    TPanel* panDados;
    QLabel* lblProduto;
    TDBEdit* dbeCdProduto;
    TDBEdit* dbeNmProduto;
    TGroupBox* grbQuantidade;
    QLabel* lblOrigem;
    TDBEdit* dbeQtdeOrig;
    QLabel* lblAcumulado;
    TDBEdit* dbeQtdeAcumu;

    // batch entry
    TPanel* panGera;
    QLabel* lblQtdEtiqueta;
    TEdit* edtQtdEtiqueta;
    QLabel* lblPeso;
    TEdit* edtPeso;
    TButton* btnGeraEtiqueta;

    // the batches (one row per batch, shown in dbgPadrao) and the new labels (one row each)
    TClientDataSet* cdsEtiqueta;
    TClientDataSet* cdsInsEtiqueta;

private:
    void BuildRecordSets();
    void BuildDataPanel();
    void BuildEntryPanel();
    void BuildGrid();
    void BindQueryScreen();
    void AddLabelRows();
    void WithdrawLabelRows();
    void NumberAndSend();
    // Label numbers still free for the item after the new labels entered so far; strict reads
    // the item's highest sequence with the number conversion (its error ends the operation).
    qint64 NumbersLeft(bool strict) const;

    bool confirmed_ = false;  // set by a successful confirmation for the close it runs
};
