#pragma once
// Text rules shared by the label screens: the "holds no value" test of an edit's text, the
// fill routine LRPad that writes label sequences, and the ten-digit form of a typed invoice
// number. Pure functions; none of them raises.

#include <QString>

// True when the text holds no value: empty or made only of blanks.
bool IsBlankText(const QString& text);

// Fills a text to a width with a fill character, in front (left = true) or behind.
// A text that holds no value, or whose trimmed length already equals the width, comes back
// unchanged (untrimmed). Otherwise the trimmed text is returned, filled up to the width;
// a trimmed text longer than the width is returned trimmed, never cut.
QString LRPad(const QString& text, int width, QChar fill, bool left);

// A typed invoice number in its ten-digit form: the trimmed text filled with "0" on the left
// up to the number of digits. A text longer than that is kept as typed.
QString AjustaNumero(const QString& text, int digits = 10);
