#pragma once
// The host's session routines, read from TSession:
// DBPict(kind): the edit mask of a kind of code; kind 0 is the product code (the session's
//   product-code mask); any other kind has no mask (empty text).
// FiliProc(): the user's branch code. WebURL(), WebPort(): the application server's host and port.

#include <QString>

namespace Morvaxa {

QString DBPict(int kind);
QString FiliProc();
QString WebURL();
int WebPort();

} // namespace Morvaxa
