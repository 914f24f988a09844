#pragma once
// The read side of the label service: the invoices matching a search and the items and labels of
// one invoice, written as data packets in the layouts the label module loads (labels/packetlayouts.h)
// straight from the rows the database returns. Each SELECT names its columns as the packet does;
// their order is free. Database failures raise EDatabaseUnavailable.

#include "database.h"
#include "invoicefilter.h"

class TReplyWriter;

class TLabelQueries {
public:
    explicit TLabelQueries(TDatabase& database) : database_(database) {}

    void WriteInvoices(TReplyWriter& out, const TInvoiceFilter& filter);
    void WriteItems(TReplyWriter& out, const QString& branch, const QString& entryNumber);
    void WriteLabels(TReplyWriter& out, const QString& branch, const QString& entryNumber);

    // The SELECTs of an invoice's items and labels, with the placeholders :fil and :lanc.
    static const char* ItemsSql();
    static const char* LabelsSql();

private:
    TDatabase& database_;
};
