#pragma once
// The write side of the label service: one change packet of setEtiqueta, checked and applied in a
// single transaction. A packet is either a grouping (two or more labels inactivated, one new label)
// or a split (one label inactivated, one or more new labels); its rows are insertions only, the
// inactivations carrying the status "I" and the barcode, the new labels the status "A" and their
// full keys. Apply() returns "" when the change was stored (with its audit row) and
// "Erro: <motivo>" when it was refused, in which case nothing changed. Database failures raise
// EDatabaseUnavailable (one serialization failure or deadlock is retried first).

#include "database.h"

#include "platform/packet.h"

class TLabelChange {
public:
    explicit TLabelChange(TDatabase& database) : database_(database) {}

    QString Apply(const TChangePacket& packet, const QString& clientAddress);

    // Largest difference between the inactivated and the new weights that still counts as equal.
    static double WeightTolerance(double a, double b);

private:
    TDatabase& database_;
};
