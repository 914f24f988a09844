#pragma once
// Reading and driving the query screen as its tests do, for the screen's own tests and for the
// tests of the whole road alike.

#include "framework/recordinguiservices.h"
#include "package/pkg_est99000.h"
#include "platform/clientdataset.h"
#include "platform/recordpeek.h"
#include "screens/Cli_est99000/cli_est99000.h"
#include "support/labelrows.h"
#include "support/windowclick.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QStringList>
#include <QTabBar>
#include <QTest>

// Opens the query screen as the client's menu does (IniProc), makes it the active window and
// clears what the opening showed; `tela` is the screen, null (and the test failed) when it did
// not open.
inline void OpenQueryScreen(TfrmConsDesEtiq*& tela, TRecordingUiServices& ui)
{
    IniProc();
    tela = frmConsDesEtiq;
    ASSERT_NE(tela, nullptr);
    tela->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(tela));
    ui.Clear();
}

// The text of a field on the set's current row.
inline QString CurrentText(TClientDataSet* set, const char* field)
{
    return set->FieldByName(QLatin1String(field))->AsString();
}

// The barcodes of the labels the screen lists, in the grid's order.
inline QStringList ListedBarcodes(TfrmConsDesEtiq* tela)
{
    return VisibleBarcodes(tela->cdsEtiqueta);
}

// Makes an invoice current by clicking its row in the invoice grid; fails the test when the
// invoice is not listed.
inline void ClickInvoice(TfrmConsDesEtiq* tela, const QString& cdFilial, const QString& nrLanctoNf)
{
    TClientDataSet* invoices = tela->cdsNotaFiscal;
    int row = -1;
    for (int r = 1; r <= invoices->RecordCount() && row < 0; ++r) {
        TRecordPeek peek(invoices, r);
        if (CurrentText(invoices, "CDFILIAL") == cdFilial && CurrentText(invoices, "NRLANCTONF") == nrLanctoNf)
            row = r - 1;
    }
    ASSERT_GE(row, 0) << "a nota " << nrLanctoNf.toStdString() << " não está na lista";
    TDBGrid* grid = tela->dbgPadrao;
    const QModelIndex index = grid->model()->index(row, 0);
    grid->scrollTo(index);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
}

// Types a barcode as a scanner does: each character, and the Enter after them, goes to the
// control that has the focus when it arrives.
inline void ScanBarcode(const QString& text)
{
    for (const QChar c : text + QLatin1Char('\r')) {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr) << "nenhum controle com o foco para receber " << text.toStdString();
        if (c == QLatin1Char('\r'))
            QTest::keyClick(focused, Qt::Key_Return);
        else
            QTest::keyClick(focused, c.toLatin1());
    }
}

// The active labels the label grid shows with a tick, in its order.
inline QStringList TickedBarcodes(TfrmConsDesEtiq* tela)
{
    QStringList ticked;
    TClientDataSet* labels = tela->cdsEtiqueta;
    for (int r = 1; r <= labels->RecordCount(); ++r) {
        TRecordPeek peek(labels, r);
        if (CurrentText(labels, "IDCHECK") == QLatin1String("C") && CurrentText(labels, "IDSTATUSETIQ") == QLatin1String("A"))
            ticked << CurrentText(labels, "CDCODBARRAETIQ");
    }
    return ticked;
}

// Closes the query screen, answering Yes if it asks whether to leave work behind.
inline void CloseQueryScreen(TfrmConsDesEtiq* tela, TRecordingUiServices& ui)
{
    ui.Answers.clear();
    ui.Answers.enqueue(true);
    tela->Close();
}

// Whether the query screen takes the mouse: a click through the window system on each grid
// shown, on the current page's tab and on the bare command bar reaches its widget. A window left
// blocked by a closed modal screen drops every one of them.
inline void ExpectQueryScreenTakesClicks(TfrmConsDesEtiq* tela)
{
    int grids = 0;
    for (TDBGrid* grid : {tela->dbgPadrao, tela->dbgItemProduto, tela->dbgEtiquetaGerada}) {
        if (!grid->isVisible())
            continue;
        ++grids;
        EXPECT_TRUE(WindowClickReaches(grid->viewport())) << grid->objectName().toStdString();
    }
    EXPECT_GT(grids, 0);
    QTabBar* tabs = tela->pgcPadrao->tabBar();
    EXPECT_TRUE(WindowClickReaches(tabs, tabs->tabRect(tela->pgcPadrao->currentIndex()).center())) << "tabs";
    EXPECT_TRUE(WindowClickReaches(tela->panMenu, BareSpot(tela->panMenu))) << "command bar";
}
