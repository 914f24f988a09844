#pragma once
// TRoad: the typical road of a receiving clerk through the label module, driven by script on
// real widgets against a reference application server it starts itself. The module is loaded
// as the client loads it: the client's main window with its child-window area, the session
// (branch 0001, the server's loopback address and port, the host database, the reports
// folder), the library's Initialize, and IniProc through the menu entry.
//
// Steps, one method each, in this order (each relies on the ones before):
//   1 Filters()        "Todos" for branches and suppliers, the emission dates of the last week,
//                      the search: the invoices of the week are listed, the fixed demonstration
//                      invoice 0001/0000000001 among them.
//   2 ItemsAndLabels() that invoice chosen and the page "Produto/Etiqueta" opened: its items,
//                      the first item's labels and their printable rows.
//   3 BarcodeScan()    another item chosen by hand, then the barcode of a free active label of
//                      the first item typed into the barcode edit with Enter: that label and its
//                      item are current again.
//   4 MarkTwo()        Space on that label and a double-click on another free active label of
//                      the item: mark counter 2, Group enabled and Split not.
//   5 Group()          Group, answered Yes: the success message, both labels inactive, the new
//                      label with the summed weight and the next sequence selected.
//   6 Split()          another free active label of the item marked by double-click and split
//                      on the split screen into two batches that add up to its weight,
//                      confirmed: the source inactive, the new labels numbered after the item's
//                      highest sequence by weight, the grouped label still active.
//   7 ReportScreen()   the print command opens the report screen with the grouping's and the
//                      split's new labels (marked for printing when they were made) in its
//                      print set.
//   8 PrintPdf()       the print set written as ZPL for each label-printer layout to
//                      OUTPUT/etiquetas-WxHmm.zpl and read back (one label per row, the
//                      barcodes in order, UTF-8); then the report screen's print button, with the
//                      print dialog pointed at OUTPUT/etiquetas.pdf, through the client's
//                      label-sheet engine: the PDF is written and the selection cleared.
//   9 ScanMarkAndGroup() one click on the label list, then, with the scanner only, two more free
//                      active labels of the item scanned and marked with Space one after the
//                      other (each scan typed into the label list goes to the barcode edit),
//                      both marks kept, and Group as in step 5: the labels made after the
//                      printing stay chosen for printing, so closing the screen asks first.
// The report screen is modal, so the work of steps 7 and 8 happens while it is open, inside
// step 7's call; PrintPdf() reports what the printing did and checks what closing left.
//
// Every step returns its result with a Portuguese description of what went wrong; an error the
// screens showed during a step fails it as well. After each step a PNG of each open screen is
// written to the output folder as "NN-<passo>-<tela>.png" (the split and report screens while
// open). Dialogs go through TRoadUiServices, which writes each one to standard output.

#include "host/road/roadui.h"
#include "host/serverprocess/serverprocess.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class QWidget;
class TClientDataSet;
class TDBGrid;
class TForm;
class TLabelSheetEngine;
class TMainWindow;
class TModuleLoader;
class TfrmConsDesEtiq;
class TfrmDesmembramento;
class TfrmRelConsDesEtiq;

struct TRoadOptions {
    QString serverPath;   // est99000-server
    QString database;     // passed to the server; empty: a new SQLite file in a temporary folder
    QString outputDir;    // pictures and etiquetas.pdf; empty: none are written
    QString reportsDir;   // the report definitions; empty: the client's default folder
    QString modulePath;   // the module library; empty: beside the running program
    bool quiet = false;   // no log on standard output
};

struct TRoadStepResult {
    bool ok = true;
    QString failure;  // what went wrong, in Portuguese

    static TRoadStepResult Ok() { return {}; }
    static TRoadStepResult Fail(const QString& why) { return {false, why}; }
};

// A label the road made or changed, as the screens showed it.
struct TRoadLabel {
    QString barcode;
    QString sequence;
    double weight = 0;
    double quantity = 0;
};

// What the road did, for those who check the server afterwards.
struct TRoadFacts {
    QString branch, entry, invoiceNumber, item;  // the invoice and the item worked on
    int invoicesListed = 0;
    QList<TRoadLabel> grouped;  // the two labels grouped
    TRoadLabel group;           // the label the grouping made
    TRoadLabel splitSource;     // the label split
    QList<TRoadLabel> split;    // the labels the split made, in numbering order
    QStringList printSet;       // the print set's barcodes when it was printed, in its order
    QList<TRoadLabel> scanGrouped;  // the two labels scanned one after the other and grouped
    TRoadLabel scanGroup;           // the label that grouping made
    QString pdfPath;
};

class TRoad {
public:
    struct TStep {
        int number;
        QString name;  // Portuguese, for messages
        QString slug;  // for picture names
        TRoadStepResult (TRoad::*run)();
    };
    static const QList<TStep>& Steps();

    explicit TRoad(TRoadOptions options);
    ~TRoad();
    TRoad(const TRoad&) = delete;
    TRoad& operator=(const TRoad&) = delete;

    // The server, the client's main window and the module, up to the query screen.
    TRoadStepResult Start();
    TRoadStepResult Filters();
    TRoadStepResult ItemsAndLabels();
    TRoadStepResult BarcodeScan();
    TRoadStepResult MarkTwo();
    TRoadStepResult Group();
    TRoadStepResult Split();
    TRoadStepResult ReportScreen();
    TRoadStepResult PrintPdf();
    TRoadStepResult ScanMarkAndGroup();
    // Closes the screens, finalizes the module and stops the server; the destructor does it too.
    void Finish();

    // Runs a step with its log prefix and its pictures; an error box shown meanwhile fails it.
    TRoadStepResult Run(const TStep& step);
    // Start and every step in order, stopping at the first failure, which is written to stderr
    // in Portuguese; then Finish. Returns the exit status: 0 when every step did what it should.
    int RunAll();

    const TRoadFacts& Facts() const { return facts_; }
    QString Database() const { return database_; }
    TRoadUiServices& Ui() { return ui_; }

private:
    TfrmConsDesEtiq* Query() const;
    void Pictures(int step);
    void Picture(QWidget* window, int step, const QString& screenCode);
    QString OutputPath(const QString& name) const;

    // The clerk's hands.
    void Click(QWidget* widget);
    void ClickTab(int page);
    void ClickRow(TDBGrid* grid, int row);
    void DoubleClickRow(TDBGrid* grid, int row);
    void Type(QWidget* box, const QString& text);
    void Scan(const QString& barcode);
    void Settle();

    // The 0-based row of the visible record whose field has this value, -1 when none.
    static int RowOf(TClientDataSet* set, const QString& field, const QString& value);
    static QString Cell(TClientDataSet* set, int row, const QString& field);
    static double Number(TClientDataSet* set, int row, const QString& field);
    static QString Current(TClientDataSet* set, const QString& field);
    static QStringList Column(TClientDataSet* set, const QString& field);
    // The rows of the query screen's label list for the current item, by barcode.
    TRoadLabel ListedLabel(const QString& barcode) const;
    QString ListedStatus(const QString& barcode) const;
    QString PrintableMark(const QString& barcode) const;
    // The active labels listed for the current item that have no order, in grid order: those
    // the clerk may mark.
    QStringList FreeLabels() const;
    QString BarcodeOf(const QString& sequence) const;
    // The highest sequence among the labels listed for the current item (0 when none).
    int HighestSequence() const;

    // Group answered Yes on the marked labels of the item, and what the screen shows afterwards.
    TRoadStepResult GroupMarked(const QStringList& marked, QList<TRoadLabel>& grouped, TRoadLabel& group);
    TRoadStepResult WorkInSplitScreen(TfrmDesmembramento* split);
    TRoadStepResult CheckReportScreen(TfrmRelConsDesEtiq* report);
    TRoadStepResult PrintFromReportScreen(TfrmRelConsDesEtiq* report);
    // The print set as ZPL for each label-printer layout, OUTPUT/etiquetas-WxHmm.zpl, read back.
    TRoadStepResult WriteLabelPrinterZpl(TfrmRelConsDesEtiq* report);

    TRoadOptions options_;
    TRoadUiServices ui_;
    std::unique_ptr<TUiServicesScope> uiScope_;
    std::unique_ptr<TLabelSheetEngine> engine_;
    std::unique_ptr<QTemporaryDir> scratch_;  // the SQLite database and the PDF when no folder is given
    QString database_;
    TServerProcess server_;
    std::unique_ptr<TMainWindow> window_;
    std::unique_ptr<TModuleLoader> module_;
    bool started_ = false;
    QSet<int> pictured_;      // steps whose pictures are written
    QString pictureFailure_;  // a picture of the running step that could not be written

    TRoadFacts facts_;
    QStringList freeLabels_;  // the two free active labels of the item, in grid order
    int splitHighest_ = 0;    // the item's highest sequence when the split screen opened
    bool modalRan_ = false;
    TRoadStepResult modalResult_;
    TRoadStepResult printResult_ = TRoadStepResult::Fail(QStringLiteral("a tela de relatório não foi aberta"));
    QList<TUiEntry> printEntries_;  // what the printing showed, for step 8
};
