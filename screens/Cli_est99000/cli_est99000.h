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
//
// Work on the screen: the filter panel chooses branches, suppliers, emission dates and invoice
// numbers; leaving it validates them (Valida_Filtro) and entering the page area searches the
// server (sbtVerificarClick). The page "Produto/Etiqueta" lists the current invoice's items and
// the current item's labels (GetProdEtiq); labels are marked by double-click or Space, found by
// their barcode (edtCdBarProdKeyDown), grouped (btnAgruparClick), split (btnDesmembrarClick) and
// printed (sbtImprimirClick). ControlaBotoes keeps the commands enabled as the state allows.
//
// Handlers are public because the split and report screens call some of them
// (sbtVerificarClick, ControlaBotoes) and because they are the screen's contract. Every handler
// runs inside the framework's event guard: a failed check ends it through MensErro (the text is
// shown, nothing after it runs), any other error reaches the error box.

#include "framework/adoibquery.h"
#include "framework/btnpesquisa.h"
#include "framework/dateeditplus.h"
#include "framework/dbgrid.h"
#include "framework/edit.h"
#include "framework/frmpadrao.h"
#include "framework/groupbox.h"
#include "framework/panel.h"
#include "framework/radiobutton.h"
#include "framework/showavi.h"
#include "framework/speedbutton.h"
#include "platform/clientdataset.h"
#include "platform/datasource.h"
#include "platform/netconnection.h"

#include <QImage>
#include <QLabel>

#include <exception>

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

    // filters and search
    void rdbFilialTodosClick(QObject* sender);
    void rdbListaFilialClick(QObject* sender);
    void rdbFornTodosClick(QObject* sender);
    void rdbListaFornClick(QObject* sender);
    void btnPesqFilialClick(QObject* sender);
    void btnPesqFornClick(QObject* sender);
    void qryFornecedorNRINSJURFORNGetText(TField* sender, QString& text, bool displayText);
    void cdsNotaFiscalNRINSJURNFGetText(TField* sender, QString& text, bool displayText);
    void depDtIniEmissExit(QObject* sender);
    void depDtFinEmissExit(QObject* sender);
    void panFiltroEnter(QObject* sender);
    void panFiltroExit(QObject* sender);
    void Valida_Filtro();
    void pgcPadraoEnter(QObject* sender);
    void sbtVerificarClick(QObject* sender) override;
    void sbtProcurarClick(QObject* sender) override;
    // Enter or a double-click on an invoice opens its items, as choosing the page would.
    void dbgPadraoDblClick(QObject* sender);
    void dbgPadraoKeyDown(QObject* sender, int& key, TShiftState shift);

    // items and labels
    void GetProdEtiq();
    void cdsNotaFiscalAfterScroll(TClientDataSet* dataSet);
    void cdsProdEtiqAfterScroll(TClientDataSet* dataSet);
    void tshFormularioEnter(QObject* sender);
    void dtsEtiquetaStateChange(QObject* sender);
    void pgcPadraoChange(QObject* sender) override;

    // marking and the label grid
    void dbgEtiquetaGeradaDrawColumnCell(QObject* sender, const QRect& rect, int dataCol, TColumn* column,
                                         TGridDrawState state);
    void dbgEtiquetaGeradaDblClick(QObject* sender);
    void dbgEtiquetaGeradaKeyDown(QObject* sender, int& key, TShiftState shift);
    void dbgEtiquetaGeradaKeyPress(QObject* sender, QChar& key);
    void dbgItemProdutoKeyDown(QObject* sender, int& key, TShiftState shift);
    void cdsEtiquetaIDSTATUSETIQGetText(TField* sender, QString& text, bool displayText);

    // commands
    void ControlaBotoes();
    void dtsPadraoStateChange(QObject* sender) override;
    void btnDesmembrarClick(QObject* sender);
    void sbtImprimirClick(QObject* sender) override;
    void edtCdBarProdKeyDown(QObject* sender, int& key, TShiftState shift);
    void btnAgruparClick(QObject* sender);

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
    TDataSource* dtsAuxEtiqueta;   // bound to nothing: the grouping buffer is never shown
    TDataSource* dtsRelEtiquetas;  // the report screen's label grid shows the printable labels

    // lookup queries of the filter dialogs
    TADOIBQuery* qryFilial;
    TADOIBQuery* qryFornecedor;
    TDataSource* dtsFilial;
    TDataSource* dtsFornecedor;

    // command bar and the menu "Etiquetas": the barcode entry (F2), Group (F6) and Split (F7)
    TSpeedButton* btnDesmembrar;
    TSpeedButton* btnAgrupar;
    QAction* mniCodBarras;
    QAction* mniAgrupar;
    QAction* mniDesmembrar;

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

    // The mark glyphs of the label grids (this screen's and the report screen's): 16 x 16, a
    // 10 x 10 box on olive, which is left transparent when they are drawn.
    QImage imgCheck;
    QImage imgUncheck;
    QImage imgDescheck;
    static QColor GlyphTransparentColor();

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
    void BuildGlyphs();
    void BindHandlers();
    void BuildLabelMenu();

    // The filters of the last search found on this workstation, and put back when the screen
    // opens, so that the clerk starts where he left off.
    void LembraFiltros() const;
    void RecuperaFiltros();

    // "Todos" or "Lista" of a filter group: the other option goes off, the list dialog's button
    // serves only "Lista".
    void EscolheOpcao(TRadioButton* outra, TBtnPesquisa* pesquisa, bool lista);
    // The label filter of the current item on the labels and the printable labels.
    void FiltraEtiquetasDoItem();
    // After a failed read of the current invoice's items: items and labels still listed from
    // another invoice go, so that nothing of it is shown, grouped or printed under this one.
    void EsqueceOutraNota();
    // Appends the printable-label row of the current label of the current item, unless a row
    // with its barcode is there already.
    void IncluiEtiquetaImprimivel();
    void AlternaMarca();
    // The steps of a grouping (btnAgruparClick). InativaMarcadas walks the current item's labels,
    // puts the marked active ones into the buffer as inactive and numbers the new label (a
    // number past the barcode's digits is refused; a refused or stopped walk leaves the buffer
    // as it was); IncluiEtiquetaAgrupada adds the new label to the buffer and the print list;
    // EnviaAgrupamento sends the buffer and empties it, answering the failure if any;
    // RecarregaAposAgrupar reads the server's state back and answers false when it could not,
    // after putting the buffer, the print list and the current label back as they were.
    struct TAgrupamento;
    void InativaMarcadas(TAgrupamento& agrupamento);
    void IncluiEtiquetaAgrupada(TAgrupamento& agrupamento);
    std::exception_ptr EnviaAgrupamento();
    bool RecarregaAposAgrupar(const TAgrupamento& agrupamento, std::exception_ptr& falha);
    // Takes the printable-label row with this barcode out of the list, whatever item it is of.
    void RetiraEtiquetaImprimivel(const QString& barcode);
    const QImage& GlyphFor(const QString& mark, const QString& status) const;
    // Finds the label by barcode among all the invoice's labels and makes it and its item
    // current; not found, the current item and label stay and false is returned.
    bool SelecionaEtiqueta(const QString& barcode);
    // Focus on the label grid's mark column, on the current label.
    void FocaMarcaDaEtiqueta();
    // The screen's own moves of the focus into the label grid (after a lookup, after a
    // grouping): the page is not entered anew, so nothing is read again or looked up.
    void FocaEtiquetas(bool naMarca);

    // The key of the current invoice, and of the invoice whose items and labels are loaded
    // (empty while none is, or after the invoice cursor moved or a read failed).
    QString ChaveNotaCorrente() const;
    // Reads the current invoice's items and labels unless they are the ones loaded; true when
    // it read them.
    bool LeNotaSeMudou();
    // The active labels of the current item shown marked: what the mark counter holds.
    int MarcasListadas() const;
    // What closing the screen would lose, as the question to ask; empty when nothing.
    QString TrabalhoPendente() const;

    QString notaLida_;
    bool focoProprio_ = false;

    TShowAviProgress progress_;
};
