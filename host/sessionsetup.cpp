// Fills the framework's session from the client's start-up settings.

#include "host/clientapplication.h"

#include "framework/session.h"

void TClientApplication::ApplySession()
{
    TSession& s = TSession::Instance();
    s.Branch = options_.branch;
    s.ServerHost = options_.serverHost;
    s.ServerPort = options_.serverPort;
    s.AccessToken = options_.accessToken;
    s.ConnectTimeoutMs = options_.connectTimeoutMs;
    s.ReadTimeoutMs = options_.readTimeoutMs;
    s.DatabaseConnection = options_.database;
    s.ReportsDirectory = options_.reportsDir;
    s.ProductCodeMask = options_.productMask;
}
