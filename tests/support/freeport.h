#pragma once
// A loopback TCP port that nobody listens on at the moment of the call (the system picks it and
// the socket is closed again at once); 0 when none could be had.
int FreeLoopbackPort();
