#pragma once
// TfrmConsDesEtiq: the label query screen "Est99000", the module's main screen, shown as a
// child window of the client. It owns the connection to the label application server and the
// record sets the module shares: invoices, items, labels, the grouping buffer and the
// printable-label list; the split and report screens reach them through frmConsDesEtiq.
//
// Lifecycle: creating the screen opens the connection (its host, port, access token and
// time-outs are taken from the session each time it connects) and sets the product-code mask
// on the item set; showing it starts with an empty invoice list, the user's own branch as the
// branch list and no supplier list, with the focus on the branch option "Lista"; closing it
// closes the connection, releases the rows of the shared record sets and clears the created
// flag, so that the next opening builds a new screen. Errors in these steps reach the error box
// through the framework's event guard.

#include "framework/adoibquery.h"
#include "framework/btnpesquisa.h"
#include "framework/dateeditplus.h"
#include "framework/dbgrid.h"
#include "framework/edit.h"
#include "framework/frmpadrao.h"
#include "framework/groupbox.h"
#include "framework/panel.h"
#include "framework/radiobutton.h"
#include "framework/speedbutton.h"
#include "platform/clientdataset.h"
#include "platform/datasource.h"
#include "platform/netconnection.h"

#include <QLabel>

class TfrmConsDesEtiq : public TfrmPadrao {
    Q_OBJECT
public:
    explicit TfrmConsDesEtiq(QWidget* owner = nullptr);
    ~TfrmConsDesEtiq() override;

    void FormCreate(QObject* sender) override;
    void FormShow(QObject* sender) override;
    void FormActivate(QObject* sender) override;
    void FormClose(QObject* sender, TCloseAction& action) override;

    void netConsDesEtiqBeforeConnect(TNetConnection* sender);

    // server connection
    TNetConnection* netConsDesEtiq;

    // record sets and their data sources
    TClientDataSet* cdsNotaFiscal;
    TClientDataSet* cdsProdEtiq;
    TClientDataSet* cdsEtiqueta;
    TClientDataSet* cdsAuxEtiqueta;
    TClientDataSet* cdsRelEtiquetas;
    TField* cdsProdEtiqCDARVPROD;
    TDataSource* dtsProdEtiq;
    TDataSource* dtsEtiqueta;

    // lookup queries of the filter dialogs
    TADOIBQuery* qryFilial;
    TADOIBQuery* qryFornecedor;
    TDataSource* dtsFilial;
    TDataSource* dtsFornecedor;

    // command bar
    TSpeedButton* btnDesmembrar;
    TSpeedButton* btnAgrupar;

    // filter panel
    TPanel* panFiltro;
    TGroupBox* grbFilial;
    TRadioButton* rdbFilialTodos;
    TRadioButton* rdbListaFilial;
    TBtnPesquisa* btnPesqFilial;
    TGroupBox* grbFornecedor;
    TRadioButton* rdbFornTodos;
    TRadioButton* rdbListaForn;
    TBtnPesquisa* btnPesqForn;
    TGroupBox* grbDataEmissao;
    QLabel* lblDtIniEmiss;
    TDateEditPlus* depDtIniEmiss;
    QLabel* lblDtFinEmiss;
    TDateEditPlus* depDtFinEmiss;
    TGroupBox* grbNumero;
    QLabel* lblNumIni;
    TEdit* edtNumIni;
    QLabel* lblNumFin;
    TEdit* edtNumFin;

    // product barcode entry
    TPanel* panChavAc;
    QLabel* lblCdBarProd;
    TEdit* edtCdBarProd;

    // page "Produto/Etiqueta"
    TDBGrid* dbgItemProduto;
    TGroupBox* grbEtiquetas;
    TDBGrid* dbgEtiquetaGerada;

private:
    struct TListOption;
    void BuildListOption(TGroupBox*& group, TRadioButton*& todos, TRadioButton*& lista, TBtnPesquisa*& button,
                         const TListOption& names, TDataSource* lookup);
    void BuildRecordSets();
    void BuildLookups();
    void BuildCommandBar();
    void BuildFilterPanel();
    void BuildBarcodePanel();
    void BuildPages();
};
