#pragma once
// The one definition of the data packets the label server sends and the label module loads:
// for each packet its columns in packet order, with their kinds and widths. The server writes
// its replies from these tables and the record sets of the screens take their fields from them,
// so adding a column to a packet is one row here, the server's SELECT that fills it and tests.
//
// Columns are found in a server's result by name; the mark column IDCHECK is not stored and
// every row leaves the server unmarked (kDesmarcada, labels/labelcodes.h).

#include "platform/packet.h"

#include <QList>

#include <span>

struct TPacketColumn {
    const char* name;
    TPacketFieldType type;
    int width;  // characters, for the two text kinds; 0 for numbers and date-times
};

using TPacketLayout = std::span<const TPacketColumn>;

// Element 0 of the GetNFEtiqueta reply: one row per invoice (cdsNotaFiscal).
TPacketLayout InvoicePacketLayout();
// Element 0 of the GetProduto reply: one row per item (cdsProdEtiq); the last column,
// NRPEDEXOL, travels but the item record set declares no field for it.
TPacketLayout ItemPacketLayout();
// Element 1 of the GetProduto reply: one row per label (the query screen's cdsEtiqueta).
TPacketLayout LabelPacketLayout();

// The label columns of the change buffers whose change packets go to setEtiqueta: the label
// packet's columns but the last (NRPEDEXOL, never sent back).
inline constexpr int kLabelChangeColumns = 11;

// The packet fields of a layout, and those of the label change buffers.
QList<TPacketField> PacketFields(TPacketLayout layout);
QList<TPacketField> LabelChangeFields();

// The column of that name in any of the three packets (the same name has the same kind and
// width in all of them); nullptr when no packet carries it.
const TPacketColumn* FindPacketColumn(const char* name);
