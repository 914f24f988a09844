#pragma once
// TfrmRelConsDesEtiq: the label report screen "Est99010" (report code "EST990"), a modal,
// resizable dialog opened from the label query screen. The person chooses there which labels
// of the query screen's current invoice go into the printed label sheet: a whole item (all its
// printable labels) or single labels, by double-click or Space on the item grid and on the label
// grid, or all items at once by a click on the item grid's mark-column title.
//
// The screen works directly on the query screen's item set and printable-label list (through
// frmConsDesEtiq) and keeps one record set of its own, the print set cdsRelEtiquetas: one row per
// chosen label, ordered by barcode, which the report reads through dtsRelEtiquetas. A label is in
// the print set while its item or the label itself is marked "C"; any other mark counts as not
// marked. Creation starts the print set from the labels already marked by themselves (labels
// made by grouping or splitting come marked); preview and print hand it to the base's report
// engine and then clear every mark and the print set; closing clears the created flag, resets
// every item mark, empties the print set and brings the query screen's label views and commands
// up to date. Label marks survive the closing, so they are in the print set at the next opening.
//
// Errors of the record sets (and a query screen that is not open) reach the error box through
// the framework's event guard; the operation stops where it was. The only question the screen
// asks is the mark-all / unmark-all confirmation, through the UI services. Preview and print
// with an empty print set say so and make no report; a report that fails (a definition missing
// or unreadable) is shown and leaves every mark and the print set as they were.

#include "framework/dbgrid.h"
#include "framework/frmdadosgerrel.h"
#include "framework/speedbutton.h"
#include "platform/clientdataset.h"
#include "platform/datasource.h"

class TfrmConsDesEtiq;

class TfrmRelConsDesEtiq : public TfrmDadosGerRel {
    Q_OBJECT
public:
    explicit TfrmRelConsDesEtiq(QWidget* owner = nullptr);
    ~TfrmRelConsDesEtiq() override;

    void FormCreate(QObject* sender) override;
    void FormShow(QObject* sender) override;
    void FormClose(QObject* sender, TCloseAction& action) override;
    void sbtPreviewClick(QObject* sender) override;
    void sbtPrintClick(QObject* sender) override;
    void sbtProcurarClick(QObject* sender);

    // Toggles of the current item and of the current label; the sender is not used.
    void dbgItemProdutoDblClick(QObject* sender);
    void dbgEtiquetaGeradaDblClick(QObject* sender);
    // Delete is swallowed; Space toggles the current row; other keys keep their grid meaning.
    void dbgItemProdutoKeyDown(QObject* sender, int& key, TShiftState shift);
    void dbgEtiquetaGeradaKeyDown(QObject* sender, int& key, TShiftState shift);
    // On the mark column: mark every item or unmark every item, after the confirmation.
    void dbgItemProdutoTitleClick(TColumn* column);
    void dbgItemProdutoDrawColumnCell(QObject* sender, const QRect& rect, int dataCol, TColumn* column,
                                      TGridDrawState state);
    void dbgEtiquetaGeradaDrawColumnCell(QObject* sender, const QRect& rect, int dataCol, TColumn* column,
                                         TGridDrawState state);
    void dbgItemProdutoEnter(QObject* sender);
    void dbgItemProdutoExit(QObject* sender);
    void dbgEtiquetaGeradaEnter(QObject* sender);
    void dbgEtiquetaGeradaExit(QObject* sender);

    // Sets every item and label mark "C" to "U" and empties the print set.
    void DesmarcaEtiq();

    TClientDataSet* cdsRelEtiquetas;  // the print set
    TDataSource* dtsRelEtiquetas;     // what the report reads
    TDBGrid* dbgItemProduto;          // on the query screen's dtsProdEtiq
    TDBGrid* dbgEtiquetaGerada;       // on the query screen's dtsRelEtiquetas
    TSpeedButton* sbtProcurar;

private:
    // The order of the query screen's printable-label list before this screen took it over.
    QString ordemConsulta_;

    void BuildGrids();
    void BuildSearchButton();
    void MarkAllItems();
    void UnmarkAllItems();
    // Copies the printable-label list's current row into the print set unless its barcode is
    // already there.
    void AddToPrintSet();
    bool InPrintSet(const QString& barcode);
    void DrawMark(TDBGrid* grid, const QRect& rect, TColumn* column);
    // With an empty print set, says so and tells the caller to make no report.
    bool NothingToPrint();
};
