#pragma once
// The application server refused a label change: its setEtiqueta reply carried "Erro: ".
// The message is the reply with every "Erro: " removed, ready for the error box. Transport and
// protocol failures stay ENetConnectionError / EServerError, so a caller can tell them apart.

#include "platform/errors.h"

class ESetEtiquetaError : public Exception {
public:
    using Exception::Exception;
};
