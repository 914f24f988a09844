#pragma once
// A network label printer's raw port for tests: listens on a loopback port the system picks,
// takes one connection on its own thread and keeps every byte until the sender closes it.
// Received() waits for that. Destroying it without a connection stops the listening.

#include <QByteArray>

#include <thread>

class TLoopbackPrinter {
public:
    TLoopbackPrinter();
    ~TLoopbackPrinter();
    TLoopbackPrinter(const TLoopbackPrinter&) = delete;
    TLoopbackPrinter& operator=(const TLoopbackPrinter&) = delete;

    int Port() const { return port_; }  // 0 when no port could be had
    QByteArray Received();

private:
    int fd_ = -1;
    int port_ = 0;
    std::thread reader_;
    QByteArray received_;
};
