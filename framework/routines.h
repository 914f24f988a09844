#pragma once
// The host's utility routines that screens call from their handlers.
//
// MensErro(text, stop): shows text in the error box; with stop = true it then throws EAbort,
//   which ends the running handler silently at the event guard (nothing after the call runs).
// EmptyString(text): true when the text holds nothing but blanks (a date edit's Text() is empty
//   while no digit is typed, so an empty date edit counts as empty too).
// iif(condition, a, b): a when the condition holds, else b.
// Ajusta(text, width): the typed number in its fixed-width form: the text is trimmed of
//   surrounding blanks and filled on the left with "0" up to width characters ("123" becomes
//   "0000000123", "" becomes "0000000000"). A text already as long or longer is returned trimmed
//   and never cut, so no typed digit is lost. Other characters are kept as typed.
// MaxNumber(text, intDigits, decDigits, key, selStart, selLength): for key-press filters of
//   number boxes with a decimal comma. When the key, typed over the selection, would give more
//   than intDigits digits before the comma or more than decDigits after it, a second comma, or a
//   comma where decDigits is 0, the key is set to the character with code 0, which the edit does
//   not insert. Control characters and characters that are neither digits nor the comma are
//   left alone.
// PictPess(type): the display mask of the tax number of a person type, in edit-mask notation for
//   FormatMaskText: "F" (person, CPF) "999.999.999-99;0;_", "J" (company, CNPJ)
//   "99.999.999/9999-99;0;_"; the type is trimmed and compared ignoring case; any other type has
//   no mask (empty text, the number is shown as stored).

#include <QChar>
#include <QString>

class QWidget;

void MensErro(const QString& text, bool stop);

bool EmptyString(const QString& text);

template <typename T>
T iif(bool condition, const T& a, const T& b)
{
    return condition ? a : b;
}
inline QString iif(bool condition, const char* a, const char* b)
{
    return QString::fromUtf8(condition ? a : b);
}
inline QString iif(bool condition, const QString& a, const char* b)
{
    return condition ? a : QString::fromUtf8(b);
}
inline QString iif(bool condition, const char* a, const QString& b)
{
    return condition ? QString::fromUtf8(a) : b;
}

QString Ajusta(const QString& text, int width);

void MaxNumber(const QString& text, int intDigits, int decDigits, QChar& key, int selStart, int selLength);
void MaxNumber(const QString& text, int intDigits, int decDigits, QString& key, int selStart, int selLength);

QString PictPess(const QString& personType);
