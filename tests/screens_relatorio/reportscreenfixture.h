#pragma once
// The label report screen over a query screen holding one demo invoice.
//
// The query screen is created as the module creates it (its singleton set), but its items and
// printable labels are loaded here from data packets, as its own loading would leave them, so
// that no application server is needed: three items, "0001" with three active labels, "0002"
// with two, "0003" with none, all labels unmarked ("U") and all items unmarked. The report
// engine is replaced by one that records, for each preview and print, the barcodes the report
// found in the screen's dtsRelEtiquetas; the UI services record every dialog.

#include "framework/recordinguiservices.h"
#include "framework/reportengine.h"
#include "package/pkg_est99000.h"
#include "screens/Cli_est99000/cli_est99000.h"
#include "screens/Cli_est99010/cli_est99010.h"

#include <QPointer>
#include <QStringList>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// Records what the report received; Fail makes the next preview or print raise.
class TRecordingReportEngine : public TReportEngine {
public:
    QStringList ReportNames(const QString& reportCode, const QString& reportsDirectory) override;
    void Preview(const TReportRequest& request) override;
    void Print(const TReportRequest& request) override;
    void Design(const TReportRequest& request, bool newReport) override;

    struct Run {
        QString kind;          // "preview" or "print"
        QStringList barcodes;  // the rows of dtsRelEtiquetas, in the order the report reads them
    };
    QList<Run> Runs;
    bool Fail = false;

private:
    void Record(const QString& kind, const TReportRequest& request);
};

// The barcode of label seq (1-based) of item "000n" of the demo invoice.
QString Barcode(const QString& item, int seq);

class ReportScreenTest : public ::testing::Test {
protected:
    TRecordingUiServices ui;
    TUiServicesScope uiScope{ui};
    TRecordingReportEngine engine;
    QPointer<TfrmRelConsDesEtiq> screen;

    void SetUp() override;
    void TearDown() override;

    TfrmConsDesEtiq* Consulta() const { return frmConsDesEtiq; }
    TClientDataSet* Items() const { return frmConsDesEtiq->cdsProdEtiq; }
    TClientDataSet* Labels() const { return frmConsDesEtiq->cdsRelEtiquetas; }

    // Creates the report screen and shows it (not modally, so that the test can work in it).
    TfrmRelConsDesEtiq* Open();
    // Closes the report screen as the person does and lets it be released.
    void CloseScreen();

    // A label made by grouping or splitting: appended to the printable-label list marked "C".
    void AddMadeLabel(const QString& item, int seq, double weight);
    void SetItemMark(const QString& item, const QString& mark);
    void SetLabelMark(const QString& barcode, const QString& mark);

    void GoToItem(const QString& item);
    // Makes the label's item current (when it is not) and then the label.
    void GoToLabel(const QString& barcode);

    // The print set's barcodes, in its order.
    QStringList PrintSet() const;
    // The printable-label list's barcodes as its grid lists them (current item, by mark and weight).
    QStringList LabelRows() const;
    QString ItemMark(const QString& item) const;
    QString LabelMark(const QString& barcode) const;
    QStringList ItemMarks() const;  // every item's mark, in item order
    // The barcodes of every label marked "C", whatever the item.
    QStringList MarkedLabels() const;
};
