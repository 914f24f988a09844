#pragma once
// The column lists of the label module's grids, in display order. A width of 0 leaves the
// column at the grid's default width. Titles come from the fields' display labels, except for
// mark columns (IDCHECK), whose title is the letter "a" in the symbol font "Marlett", drawn
// as a check mark, with the mark glyph painted in the cells.

#include "platform/field.h"

#include <QList>
#include <QString>

struct TGridColumn {
    QString FieldName;
    int Width = 0;
    TAlignment TitleAlignment = TAlignment::Left;
    bool ReadOnly = false;
    bool MarkColumn = false;
};

inline constexpr const char* kMarkColumnTitle = "a";
inline constexpr const char* kMarkColumnFont = "Marlett";

// Query screen: the invoice grid (the whole grid is read-only).
const QList<TGridColumn>& NotaFiscalColumns();
// Query screen: the item grid.
const QList<TGridColumn>& ProdEtiqColumns();
// Query screen: the label grid.
const QList<TGridColumn>& EtiquetaConsultaColumns();
// Split screen: the batch grid.
const QList<TGridColumn>& EtiquetaDesmembraColumns();
// Report screen: the item grid, with its mark column first.
const QList<TGridColumn>& ProdEtiqRelatorioColumns();
// Report screen: the printable-label grid.
const QList<TGridColumn>& RelEtiquetasColumns();
