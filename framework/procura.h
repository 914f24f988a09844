#pragma once
// Procura(dataSet): the host's find dialog over a record set. The person picks a field, types a
// value and finds the first or the next row whose field holds the value anywhere in its display
// text or stored text, ignoring case; the found row becomes the set's current row, and a search
// that finds nothing says so and leaves the cursor where it was. An inactive or missing set
// opens nothing.
//
// FindRecord is the search itself: from the first row (fromStart) or from the row after the
// current one; true when a row was found and made current. It reads rows without moving the
// cursor, so no scroll event fires for the rows it passes. An unknown field name finds nothing.

#include <QString>

class TClientDataSet;

void Procura(TClientDataSet* dataSet);
bool FindRecord(TClientDataSet* dataSet, const QString& fieldName, const QString& value, bool fromStart);
