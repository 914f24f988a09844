#pragma once
// Field definitions of the label module's record sets. Each function defines, on a record set
// that has no fields yet, the fields (names, kinds, widths, display labels and formats,
// visibility), the sort order and indexes and the aggregates; the caller then creates or
// opens the set and attaches its own event handlers. The field names are the column names of
// the server's data packets; a packet column a set does not declare loads and stays
// unreachable. Call each on a set that has no fields yet and is not open.

#include "platform/clientdataset.h"

// Invoices found by the filters, ordered CDFILIRECE;NRNOTAFISC;DTEMISSAO (cdsNotaFiscalOrdem).
void DefineNotaFiscal(TClientDataSet& set);
// Items of the current invoice, in packet order.
void DefineProdEtiq(TClientDataSet& set);
// Labels of the current invoice on the query screen: fields 1-12, ordered by status then
// barcode (cdsInsEtiquetaIndex1), aggregates NRSEQETIQMAX and QTACUMULADA kept up to date.
void DefineEtiquetaConsulta(TClientDataSet& set);
// The grouping change buffer: fields 1-11, aggregates switched on with none defined.
void DefineAuxEtiqueta(TClientDataSet& set);
// The split change buffer: fields 1-11, ordered NRSEQITPROD;VRPESOETIQ;QTETIQPROD.
void DefineInsEtiqueta(TClientDataSet& set);
// The split screen's batches: fields 2-11 and the right-aligned total QTACUMULADA.
void DefineEtiquetaDesmembra(TClientDataSet& set);
// The printable-label list, ordered by mark then weight (cdsRelEtiquetasIndex1).
void DefineRelEtiquetas(TClientDataSet& set);
// The report screen's print set, ordered by barcode (cdsRelEtiquetasORDER).
void DefineRelEtiquetasImpressao(TClientDataSet& set);
