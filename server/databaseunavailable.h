#pragma once
// Raised when the database behind the server cannot answer: it is locked by another writer for
// longer than the busy time-out, it cannot be reached, or a statement fails in the database. The
// message is complete and meant for the user ("Banco de dados indisponível: ..."); the dispatcher
// answers it as a JSON-RPC error -32000 and the connection of the calling thread is reopened on
// the next call.

#include "platform/errors.h"

class EDatabaseUnavailable : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
    // True when the failure is a serialization failure or a deadlock that one retry may clear.
    bool retryable = false;
    // True when the connection itself failed (refused, lost, closed by the database server).
    bool connectionLost = false;
};
