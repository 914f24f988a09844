#pragma once
// The codes stored in label and item rows, their display texts, and the filter text that
// limits a label list to one item.

#include <QString>

// IDSTATUSETIQ: only active labels are marked, grouped, split and printed.
inline constexpr const char* kStatusAtiva = "A";
inline constexpr const char* kStatusReservada = "R";
inline constexpr const char* kStatusInativa = "I";

// IDCHECK on labels and items: any value other than these two counts as not marked.
inline constexpr const char* kMarcada = "C";
inline constexpr const char* kDesmarcada = "U";

// Display text of a label status: "Ativa", "Reservada", "Inativa" for "A", "R", "I" (exact
// letters); the empty text for anything else. The same texts stand in the query screen's
// message table under the letters themselves.
QString StatusEtiquetaText(const QString& status);

// Filter text that keeps the labels of one item: " NRSEQITPROD = '<item>'". A quote inside the
// item sequence is doubled, so the value stays one quoted literal and matches only itself.
QString ItemFilterText(const QString& nrSeqItProd);
