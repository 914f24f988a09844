#pragma once
// The application server refused a label change: its setEtiqueta reply carried "Erro: ".
// The message is the reply with every "Erro: " removed, ready for the error box. Transport and
// protocol failures stay ENetConnectionError / EServerError, so a caller can tell them apart.

#include "platform/errors.h"

// The marker of a refused change in a setEtiqueta reply (exact letter case), followed by the
// reason; the server writes it, the screens look for it.
inline constexpr const char* kSetEtiquetaErrorMarker = "Erro: ";

class ESetEtiquetaError : public Exception {
public:
    using Exception::Exception;
};
