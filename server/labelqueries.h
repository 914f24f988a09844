#pragma once
// The read side of the label service: the invoices matching a search and the items and labels of
// one invoice, as data packets in the layouts the label module loads (field names, kinds and
// widths of its record sets). Database failures raise EDatabaseUnavailable.

#include "database.h"
#include "invoicefilter.h"

#include "platform/packet.h"

class TLabelQueries {
public:
    explicit TLabelQueries(TDatabase& database) : database_(database) {}

    TDataPacket Invoices(const TInvoiceFilter& filter);
    TDataPacket Items(const QString& branch, const QString& entryNumber);
    TDataPacket Labels(const QString& branch, const QString& entryNumber);

    static QList<TPacketField> InvoiceFields();
    static QList<TPacketField> ItemFields();
    static QList<TPacketField> LabelFields();

private:
    TDatabase& database_;
};
