#pragma once
// TWorkstation: what the client remembers on this workstation from one session to the next: the
// layout last chosen for each report, the printer and the label printer last printed on, the
// size and place of each screen, the last filters of a screen. The values live in the INI file
// the session names (TSession::WorkstationFile, beside the client's configuration file); with no
// file named (scripted runs, tests that do not ask for it) nothing is read back and nothing is
// written, so every run starts from the screens' own defaults.
//
// Keys are "group/name" texts. Writing is best effort: a file that cannot be written loses the
// remembered value and disturbs nothing else.

#include <QString>
#include <QVariant>

class TWorkstation {
public:
    static bool Enabled();
    static QVariant Value(const QString& key, const QVariant& fallback = QVariant());
    static void SetValue(const QString& key, const QVariant& value);
};
