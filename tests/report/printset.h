#pragma once
// Print sets for the report tests: the report screen's record set with realistic labels of a
// receiving invoice, and the EST990 definition from the source tree.

#include "framework/report/reportdefinition.h"
#include "platform/clientdataset.h"

#include <QString>
#include <QStringList>

#include <memory>

struct TPrintSetRow {
    QString produto;
    QString lote;
    QString barcode;
    double peso = 0;
    double quantidade = 1;
};

// The print set, open, with the given rows appended in the order given (the set sorts them by
// barcode).
std::unique_ptr<TClientDataSet> MakePrintSet(const QList<TPrintSetRow>& rows);

// `count` labels of invoice 123 of branch 0001, spread over three items, appended in an order
// that differs from the barcode order; returns the barcodes in ascending order through `sorted`.
QList<TPrintSetRow> InvoiceLabels(int count, QStringList* sorted = nullptr);

// The reports directory and the EST990 definition of the source tree.
QString SourceReportsDir();
TReportDefinition Est990();
