#include "framework/morvaxa.h"

#include "framework/session.h"

namespace Morvaxa {

QString DBPict(int kind)
{
    return kind == 0 ? TSession::Instance().ProductCodeMask : QString();
}

QString FiliProc()
{
    return TSession::Instance().Branch;
}

QString WebURL()
{
    return TSession::Instance().ServerHost;
}

int WebPort()
{
    return TSession::Instance().ServerPort;
}

} // namespace Morvaxa
