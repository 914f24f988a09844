#pragma once
// Shared helpers of the framework tests: a recording UI service installed per test and small
// record sets built in memory.

#include "framework/recordinguiservices.h"
#include "platform/clientdataset.h"
#include "support/printto.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

class UiTest : public ::testing::Test {
protected:
    TRecordingUiServices ui;
    TUiServicesScope scope{ui};
};

// A set of (CODE, NAME, STATUS) rows, open, cursor on the first row.
inline std::unique_ptr<TClientDataSet> MakeSet(const QList<QStringList>& rows)
{
    auto set = std::make_unique<TClientDataSet>();
    set->AddField(QStringLiteral("CODE"), TFieldType::String, 10)->DisplayLabel = QStringLiteral("Código");
    set->AddField(QStringLiteral("NAME"), TFieldType::String, 40)->DisplayLabel = QStringLiteral("Nome");
    set->AddField(QStringLiteral("STATUS"), TFieldType::String, 1);
    set->CreateDataSet();
    for (const QStringList& row : rows) {
        set->Append();
        set->FieldByName(QStringLiteral("CODE"))->SetAsString(row.value(0));
        set->FieldByName(QStringLiteral("NAME"))->SetAsString(row.value(1));
        set->FieldByName(QStringLiteral("STATUS"))->SetAsString(row.value(2));
        set->Post();
    }
    set->MergeChangeLog();
    set->First();
    return set;
}

inline QList<QStringList> NumberedRows(int count)
{
    QList<QStringList> rows;
    for (int i = 1; i <= count; ++i)
        rows.append({QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("Item %1").arg(i), QStringLiteral("A")});
    return rows;
}

// Shows a window and waits until it is active, so focus moves inside it as a person's would.
inline void ShowActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}
