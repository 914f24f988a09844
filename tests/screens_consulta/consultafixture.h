#pragma once
// The label query screen on real widgets for the screen tests: opened through the module's
// entry (so it is the module's singleton, as the split and report screens expect), with the
// dialog service recording what the clerk is shown and a fake label server holding two
// invoices:
//   0001/0000000001 "458213" (company supplier), items
//     0001: six active labels, sequences 00001-00006, weights 12,345 1,5 13,002 12,5 2,25 11,125
//     0002: 00001 reserved with an order, 00002 inactive, 00003 active with an order,
//           00004 active with an order and already marked, ABCDE status "X", 00006 active with
//           no mark at all
//     0003: no labels
//     0004: two active labels of 5,2 and 4,85
//   0001/0000000002 "458300" (person supplier), item 0001 with one active label.
// Helpers move through the screen as the clerk does: clicks, keys and real focus.

#include "support/fakelabelserver.h"

#include "framework/recordinguiservices.h"
#include "platform/clientdataset.h"
#include "screens/Cli_est99000/cli_est99000.h"
#include "support/printto.h"

#include <gtest/gtest.h>

#include <QVariantMap>

#include <ostream>

// A data packet with the fields a definition gives a record set, holding the given rows.
TDataPacket MakePacket(void (*define)(TClientDataSet&), const QList<QVariantMap>& rows);

QString Barcode(const QString& nrLanctoNf, const QString& item, const QString& sequence);

TDataPacket DemoInvoices();
TDataPacket DemoItems();
TDataPacket DemoLabels();

class ConsultaTest : public ::testing::Test {
protected:
    TRecordingUiServices ui;
    TUiServicesScope scope{ui};
    TFakeLabelServer server;
    TfrmConsDesEtiq* tela = nullptr;

    void SetUp() override;
    void TearDown() override;
    // The application server the screen is to talk to.
    virtual int ServerPort() const { return server.Port(); }

    // Fills the fake server with the demo invoices, items and labels.
    void LoadDemo();
    // "Todos" for branches and suppliers, then the focus into the invoice grid: the search.
    void SearchAll();
    // Clicks the tab of a page.
    void ClickTab(TTabSheet* page);
    // The search, then the page "Produto/Etiqueta".
    void OpenLabels();

    void Click(QWidget* widget);
    // Rows are 0-based positions in the grids, as the clerk sees them.
    void DoubleClickLabel(int row);
    void Key(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void TypeBarcode(const QString& text);
    // The barcode and Enter typed as a scanner types them, into whatever has the focus.
    void Scan(const QString& text);
    // Makes the item at this row current by clicking it.
    void ClickItem(int recNo);
    // Marks the labels at these positions of the current item by double-click.
    void MarkLabels(const QList<int>& rows);

    QString Current(TClientDataSet* set, const char* field) const;
    // Barcodes of the labels the label grid lists, in its order.
    QStringList ListedLabels() const;
    QWidget* Focused() const;
};
