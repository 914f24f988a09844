#pragma once
// The whole road from the query screen to the label database, for tests of what a clerk sees
// when something on it fails: the module's query screen (opened through IniProc, on real
// widgets), the reference application server as a child process on a SQLite file with the
// demonstration data, and, where a test needs it, a fault proxy in front of the server.
//
// The dialog service records everything the clerk is shown and also drives the real progress
// window, so that the busy cursor it sets is the one the client would leave behind.
//
// Demonstration invoice 0001/0000000001: item 0001 has six active labels 00001-00006
// (12,345 11,87 13,002 12,5 10,25 11,125 kg).

#include "framework/qtuiservices.h"
#include "framework/recordinguiservices.h"
#include "host/serverprocess/serverprocess.h"
#include "screens/Cli_est99000/cli_est99000.h"
#include "support/printto.h"

#include <gtest/gtest.h>

#include <QMap>
#include <QTemporaryDir>

#include <ostream>

inline const QString kFilial = QStringLiteral("0001");
inline const QString kNota = QStringLiteral("0000000001");

// A label of invoice 0001/0000000001 by item and sequence.
QString DemoBarcode(const QString& item, const QString& sequence);

// Records what the clerk is shown and also shows the real progress window with its busy cursor.
class TRoadUi : public TRecordingUiServices {
public:
    void ShowProgress(QWidget* owner, int kind, const QString& caption) override;
    void HideProgress() override;

private:
    TQtUiServices real_;
    QPointer<QWidget> screen_;
};

// What the screen holds: every row of its five record sets, the current rows and the counter.
struct TScreenState {
    QString invoices, items, labels, buffer, printable;
    int invoice = 0, item = 0, label = 0, marks = 0;
    int bufferChanges = 0;
};

// One label as the server holds it.
struct TStoredLabel {
    QString status;
    double weight = 0;
};

class RoadTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the server on the test's database (created with the demonstration data on the first
    // start); port 0 picks one. Extra options go after the usual ones.
    void StartServer(int port = 0, const QStringList& extra = {});
    // Opens the query screen on this application-server port.
    void OpenScreen(int port);
    // The server's --database: a SQLite file in the test's folder unless a test names another.
    QString database;

    // The clerk's moves.
    void Click(QWidget* widget);
    void ClickTab(TTabSheet* page);
    // "Todos" for branches and suppliers, then into the invoice grid: the search.
    void SearchAll();
    // Clicks the row of invoice 0001/0000000001.
    void ChooseDemoInvoice();
    // The search, invoice 0001/0000000001, the page "Produto/Etiqueta".
    void OpenDemoLabels();
    void MarkLabels(const QList<int>& rows);
    // Answers Yes and presses Group.
    void Group();
    // The Verify button.
    void Refresh();

    TScreenState State() const;
    // Names what differs between the screen now and `before`.
    void ExpectState(const TScreenState& before) const;
    // The labels of item 0001 of the demonstration invoice as the server holds them, by barcode.
    QMap<QString, TStoredLabel> StoredLabels(int port) const;
    QStringList ListedLabels() const;
    QString Current(TClientDataSet* set, const char* field) const;

    QStringList Errors() const { return ui.Texts(TUiEntryKind::Error); }
    QString Log() const { return ui.Log().join(QLatin1Char('\n')); }
    // The progress window came up and went away again as often, none is left and no busy cursor.
    void ExpectNothingLeftRunning() const;

    TRoadUi ui;
    TUiServicesScope scope{ui};
    QTemporaryDir dir;
    TServerProcess server;
    TfrmConsDesEtiq* tela = nullptr;
};
