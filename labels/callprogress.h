#pragma once
// The progress animation shown while a server call runs. The host's framework implements it;
// the label server calls only need Begin before the call and End after it, also when the
// call fails. Kinds: 1 while data is received, 6 while the server is updated.

#include <QString>

class TCallProgress {
public:
    virtual ~TCallProgress() = default;
    virtual void Begin(int kind, const QString& caption) = 0;
    virtual void End() = 0;
};
