#pragma once
// TMessages: a screen's message table, a list of "key|text" entries in stored order. Msg(key)
// returns the text of the first entry with that key (the key is the part before the first "|",
// compared exactly); a key the table does not hold returns the empty text, so a missing entry
// shows as an empty message rather than stopping the screen. An entry without "|" is a key with
// an empty text.

#include <QString>
#include <QStringList>

class TMessages {
public:
    TMessages() = default;
    explicit TMessages(const QStringList& items) : items_(items) {}

    void SetItems(const QStringList& items) { items_ = items; }
    const QStringList& Items() const { return items_; }
    void Add(const QString& entry) { items_.append(entry); }

    QString Msg(const QString& key) const;

private:
    QStringList items_;
};
