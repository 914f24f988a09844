#pragma once
// The split screen's test bench: a recording UI service, an in-process label server, and the
// query screen positioned on an invoice, an item and a marked source label, from which the
// split screen is opened on real widgets under the offscreen platform.
//
// The query screen is reached the way the split screen reaches it, through frmConsDesEtiq. Its
// invoice list is loaded straight from a packet; its items, labels and printable-label list
// come from its own refresh (sbtVerificarClick on the items/labels page, answered by the fake
// server) when that refresh fills them, and are otherwise loaded from the same packets and
// filtered to the item as the query screen does (QueryScreenRefreshes() tells which). The
// source label is made current and marked on the record set itself, and most tests build the
// split screen directly (OpenSplit); one goes through the query screen's Split command.

#include "framework/recordinguiservices.h"
#include "package/pkg_est99000.h"
#include "screens/Cli_est99000/cli_est99000.h"
#include "screens/Cli_est99020/cli_est99020.h"
#include "support/fakelabelserver.h"
#include "support/printto.h"

#include <QJsonObject>
#include <QPointer>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// One label of the invoice as the server lists it.
struct TLabelSpec {
    QString item;      // NRSEQITPROD
    QString sequence;  // NRSEQETIQ ("" = none)
    double weight;
    QString status = QStringLiteral("A");
};

inline const QString kBranch = QStringLiteral("0001");
inline const QString kEntry = QStringLiteral("0000000001");

QString Barcode(const QString& item, const QString& sequence);
// The invoice's items "0001" (QUEIJO MUSSARELA) and "0002" (PRESUNTO COZIDO).
QJsonObject ItemPacket();
QJsonObject LabelPacket(const QList<TLabelSpec>& labels);
QJsonObject InvoicePacket();

class SplitScreenTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Shows the query screen's data with these labels and makes `sourceSequence` of `item`
    // the current, marked label.
    void PositionQueryScreen(const QList<TLabelSpec>& labels, const QString& item, const QString& sourceSequence);
    // The usual bench: item 0001 with labels 00001 (10 kg, the source), 00002 (12,5 kg) and an
    // inactive 00003; item 0002 with 00001 (7 kg).
    void PositionOnDefaultSource();
    // The query screen's refresh of the items/labels page; when it fills nothing, the items and
    // labels are loaded from these packets and the printable-label list built from the labels.
    void LoadItemsAndLabels(const QJsonObject& items, const QJsonObject& labels);
    // Makes the label with this barcode of the item current and marks it.
    void SelectSource(const QString& item, const QString& barcode);
    TfrmDesmembramento* OpenSplit();

    // Types a batch into the two boxes and presses the button.
    void EnterBatch(const QString& quantity, const QString& weight);
    void Type(QWidget* box, const QString& text);
    QString FocusedName() const;
    bool QueryScreenRefreshes() const { return refreshes_; }

    // The new-label set's rows as "NRSEQETIQ|CDCODBARRAETIQ|QTETIQPROD|VRPESOETIQ|IDSTATUSETIQ".
    QStringList LabelRows() const;
    // The printable-label list's rows (filter off) as "IDCHECK|CDCODBARRAETIQ|VRPESOETIQ".
    QStringList PrintableRows() const;
    QStringList Errors() const { return ui.Texts(TUiEntryKind::Error); }
    QStringList Questions() const { return ui.Texts(TUiEntryKind::Question); }

    TRecordingUiServices ui;
    std::unique_ptr<TUiServicesScope> scope;
    std::unique_ptr<TFakeLabelServer> server;
    TfrmConsDesEtiq* query = nullptr;
    QPointer<TfrmDesmembramento> split;
    bool refreshes_ = false;
};
