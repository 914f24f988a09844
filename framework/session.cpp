#include "framework/session.h"

TSession& TSession::Instance()
{
    static TSession session;
    return session;
}
