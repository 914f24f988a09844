#include "support/loopbackprinter.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

TLoopbackPrinter::TLoopbackPrinter()
{
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), size) != 0 || ::listen(fd_, 1) != 0
        || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return;
    port_ = ntohs(address.sin_port);
    reader_ = std::thread([this] {
        const int client = ::accept(fd_, nullptr, nullptr);
        if (client < 0)
            return;
        char buffer[4096];
        for (ssize_t n; (n = ::read(client, buffer, sizeof buffer)) > 0;)
            received_.append(buffer, n);
        ::close(client);
    });
}

TLoopbackPrinter::~TLoopbackPrinter()
{
    if (fd_ >= 0)
        ::shutdown(fd_, SHUT_RDWR);  // ends a pending accept
    if (reader_.joinable())
        reader_.join();
    if (fd_ >= 0)
        ::close(fd_);
}

QByteArray TLoopbackPrinter::Received()
{
    if (reader_.joinable())
        reader_.join();
    return received_;
}
