#pragma once
// The client speaks Brazilian Portuguese whatever the machine's locale: InstallPortuguese sets
// pt_BR as the default locale of the process (numbers, dates, the calendar's day and month
// names) and loads Qt's own translations for pt_BR from Qt's translations folder, so that the
// standard dialogs (print, print preview, page set-up, file, colour, the message-box buttons)
// show Portuguese texts. The client and the scripted road call it right after creating the
// application object, before any window exists.
//
// Returns false when Qt's translations are not installed (Debian package
// qt6-translations-l10n); the dialogs then keep Qt's English texts and nothing else changes.

class QCoreApplication;

bool InstallPortuguese(QCoreApplication& app);
