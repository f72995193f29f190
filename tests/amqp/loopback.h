#pragma once

// A listening TCP socket on a free port of a loopback address.

#include <arpa/inet.h>
#include <cstdint>
#include <netinet/in.h>
#include <sys/socket.h>

namespace AMQPTest
{

/// The listening socket (type may add SOCK_NONBLOCK); its port in port.
inline int listenOnLoopback(uint16_t& port, int backlog = 8, int type = SOCK_STREAM,
                            const char* address = "127.0.0.1")
{
    int fd = socket(AF_INET, type | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, address, &local.sin_addr);
    bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
    listen(fd, backlog);
    socklen_t size = sizeof local;
    getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size);
    port = ntohs(local.sin_port);
    return fd;
}

} // namespace AMQPTest
