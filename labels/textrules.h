#pragma once
// Text rules shared by the label screens: the "holds no value" test of an edit's text and the
// fill routine LRPad that writes label sequences. Pure functions; none of them raises.

#include <QString>

// True when the text holds no value: empty or made only of blanks.
bool IsBlankText(const QString& text);

// Fills a text to a width with a fill character, in front (left = true) or behind.
// A text that holds no value, or whose trimmed length already equals the width, comes back
// unchanged (untrimmed). Otherwise the trimmed text is returned, filled up to the width;
// a trimmed text longer than the width is returned trimmed, never cut.
QString LRPad(const QString& text, int width, QChar fill, bool left);
