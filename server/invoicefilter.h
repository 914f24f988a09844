#pragma once
// The invoice search of GetNFEtiqueta as plain values: which branches, suppliers, emission days,
// invoice numbers and label barcode an invoice must match. Each part is skipped when its "T"
// (all) flag is set or it holds nothing. Built by the dispatcher from the eleven call arguments.

#include <QDate>
#include <QString>
#include <QStringList>

struct TInvoiceFilter {
    QStringList branches;      // CDFILIAL keys; empty = every branch
    QStringList suppliers;     // CDFORNECED keys; empty = every supplier
    QDate firstDay, lastDay;   // emission days, both inclusive; invalid = open side
    QString firstNumber, lastNumber;   // ten-digit invoice numbers, inclusive; empty = open side
    QString barcode;           // invoices holding a label with this barcode (any letter case)

    // A key list as the client writes it: each key between two underscores, keys joined by
    // commas ("_0001_,_0003_"). Blanks around keys are ignored; empty keys are dropped.
    static QStringList ParseKeyList(const QString& text);
    // A typed number brought to ten digits with leading zeros; other texts are kept as they are.
    static QString TenDigits(const QString& number);
};
