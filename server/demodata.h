#pragma once
// Demonstration data that looks like the goods receiving of a chain of stores: branches,
// suppliers of both person types (CPF and CNPJ with valid check digits), products sold by weight,
// invoices over the last four months with 44-digit access keys and footer texts, items with lots
// and validity dates, and labels in the three statuses, some tied to orders. Generated from a
// fixed seed, so the same scale always gives the same rows (dates are relative to today).
//
// Invoice 0001/0000000001 (branch "0001", entry "0000000001", issued two days ago) is always
// present: item 0001 has six active labels (sequences 00001-00006), item 0002 only reserved and
// inactive labels, item 0003 no labels, item 0004 active labels of which one is tied to an order
// plus a reserved one. Fill() does nothing when the database already holds invoices; it returns
// whether it wrote. Failures raise EDatabaseUnavailable and write nothing.

#include "database.h"

class TDemoData {
public:
    static bool Fill(TDatabase& database, int scale = 1);

    // Adds one invoice of the first supplier with `items` items of `labelsPerItem` active labels
    // each (weights between 5 and 25 kg), for load tests. The branch must exist.
    static void AddInvoice(TDatabase& database, const QString& branch, const QString& entryNumber,
                           int items, int labelsPerItem);
};
