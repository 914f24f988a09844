#pragma once
// The message tables of the three label screens, as the screens load them: one "key|text"
// entry per line, in stored order. MensagemDe reads a text by key for code that has no
// screen at hand (the server calls take their progress captions from it).

#include <QString>
#include <QStringList>

// The label query screen's table.
const QStringList& MensagensConsulta();
// The label split screen's table (its first six entries are the grid screen's standard ones).
const QStringList& MensagensDesmembramento();
// The label report screen's table.
const QStringList& MensagensRelatorio();

// Text stored under the key (the part after the first "|"); the empty text when no entry has it.
QString MensagemDe(const QStringList& table, const QString& key);
