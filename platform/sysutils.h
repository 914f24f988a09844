#pragma once
// The platform's number and date routines, in the Brazilian Portuguese locale: decimal comma,
// thousands dot, dates as dd/mm/yyyy. Dates are day numbers (TDateTime): whole days since
// 1899-12-30, the fraction being the time of day, so 2026-12-08 00:00 is 46364.0.
//
// Every conversion from text either returns the value or throws EConvertError whose message
// names the text ("'<text>' não é um valor numérico válido."); the Try* forms return false
// instead and leave the output untouched.

#include <QDateTime>
#include <QString>
#include <QStringList>

using TDateTime = double;

// Formats by a pattern: '0' a required digit, '#' an optional digit, '.' the place of the
// decimal comma, ',' anywhere in the integer part turns on thousands dots. Other characters are
// copied as they stand; text in quotes is copied without the quotes. Rounds half away from zero
// on the value's decimal text of 15 significant digits, so 2.675 with "0.00" gives "2,68" and
// the binary noise of a sum never tips a digit. Up to three sections "positive;negative;zero":
// a negative value shown by its own section takes no minus sign, and a value that rounds to
// zero shows no minus sign. Scientific patterns are not supported (their letters are copied);
// an empty pattern, a magnitude of 1E18 or more, INF and NAN give the general format.
QString FormatFloat(const QString& format, double value);

// The general format: at most `precision` significant digits, no trailing zeros, decimal comma;
// fixed notation from 0,0001 up to below 1E<precision>, scientific outside it
// (7.5 → "7,5", 10 → "10", 1e20 → "1E20", 0.00001 → "1E-5").
QString FloatToStrGeneral(double value, int precision = 15);
// The same for an extended-precision value (up to 18 significant digits): with
// StrToFloatExtended it rounds a sum to 15 significant digits without passing through a double.
QString FloatToStrGeneralExtended(long double value, int precision = 15);
QString FloatToStr(double value);

// Reads a number: optional blanks around, optional sign, digits with at most one decimal comma,
// optional exponent ("E", sign, digits). A dot is not accepted.
double StrToFloat(const QString& text);
long double StrToFloatExtended(const QString& text);
bool TryStrToFloat(const QString& text, double& value);
bool TryStrToFloatExtended(const QString& text, long double& value);

// Reads a 32-bit signed whole number; junk or a value outside the range is EConvertError
// "'<text>' não é um valor inteiro válido.".
int StrToInt(const QString& text);
bool TryStrToInt(const QString& text, int& value);
QString IntToStr(qint64 value);

// Wall-clock date-times. A date-time of this platform is a reading of a calendar and a clock with
// no time zone: the date and time of day a person typed or a database stored. Qt's local time
// would lose some of them (a midnight skipped by daylight saving, as 2018-11-04 00:00 in
// America/Sao_Paulo, is an invalid local QDateTime) and moves others when compared across zones,
// so every QDateTime the platform builds is carried in Qt::UTC, which has no gaps: it only holds
// the reading, and no conversion to or from local time is ever made. WallClock(QDateTime) takes the
// date and time of day of any QDateTime as they read, whatever its zone (also a local value that
// daylight saving made invalid); a null QDateTime stays invalid.
QDateTime WallClock(const QDate& date, const QTime& time = QTime(0, 0));
QDateTime WallClock(const QDateTime& value);
// Reads "yyyy-MM-ddTHH:mm:ss" with an optional ".zzz" (a blank instead of the "T" too, and a
// date alone as its midnight); invalid for anything else.
QDateTime WallClockFromIsoText(const QString& text);

// Day numbers and wall-clock date-times (no time zone conversion). An invalid QDateTime gives 0;
// QtFromDateTime rounds to the millisecond and gives a wall-clock value.
TDateTime DateTimeFromQt(const QDateTime& dateTime);
QDateTime QtFromDateTime(TDateTime dateTime);
TDateTime EncodeDate(int year, int month, int day);
TDateTime Date();   // today, no time of day
TDateTime Now();

// dd/mm/yyyy; DateTimeToStr adds " hh:nn:ss" when the value has a time of day.
QString DateToStr(TDateTime dateTime);
QString DateTimeToStr(TDateTime dateTime);

// Reads dd/mm/yyyy (day and month may have one digit; blanks around are ignored). Anything
// else, or a day that does not exist, is EConvertError "'<text>' não é uma data válida.".
TDateTime StrToDate(const QString& text);
bool TryStrToDate(const QString& text, TDateTime& value);

// Applies an edit mask to a stored value for display. The mask is "<picture>[;<save>[;<blank>]]":
// in the picture, '9' and '0' take a digit, 'A' and 'a' a letter or digit, 'L' and 'l' a letter,
// 'C' and 'c' any character, '\' makes the next character a literal, every other character is a
// literal. With save '0' the value holds only the characters for the mask places and the
// literals are inserted; with save '1' (or no save part) the value holds the literals too. In
// both cases a value character equal to the literal at its place is taken as that literal, so a
// value that already holds its literals shows them once. '>' shows what
// follows in upper case, '<' in lower case, '<>' as it stands; '_' shows a blank; '!' is
// ignored. A place the value does not fill shows the blank character (default '_'). The
// value's characters are shown as they stand, even where they do not fit their place, and
// characters beyond the mask are appended, so the display never hides what the value holds.
// An empty mask returns the value unchanged.
QString FormatMaskText(const QString& editMask, const QString& value);

// The message text with each "%s", in order, replaced by the next of the values, as the message
// tables write their placeholders. A "%s" inside a value is not a placeholder; placeholders
// beyond the values stay as they are, and values beyond the placeholders are not shown.
QString FillPlaceholders(const QString& text, const QStringList& values);
