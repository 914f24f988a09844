#pragma once
// The write side of the label service: one change packet of setEtiqueta, checked and applied in a
// single transaction. A packet is either a grouping (two or more labels inactivated, one new label)
// or a split (one label inactivated, one or more new labels); its rows are insertions only, the
// inactivations carrying the status "I" and the barcode, the new labels the status "A" and their
// full keys. Apply() returns "" when the change was stored (with its audit row) and
// "Erro: <motivo>" when it was refused, in which case nothing changed. Weights are compared
// exactly, in tenths of a nanogram (ten decimals, the finest the screens show), so no sequence
// of changes creates or loses weight. Database failures raise EDatabaseUnavailable; one
// serialization failure or deadlock, or a connection found dead before anything was written,
// is tried once more first.

#include "database.h"

#include "platform/packet.h"

class TLabelChange {
public:
    explicit TLabelChange(TDatabase& database) : database_(database) {}

    QString Apply(const TChangePacket& packet, const QString& clientAddress);

private:
    TDatabase& database_;
};
