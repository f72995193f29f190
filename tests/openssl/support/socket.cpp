#include "tests/openssl/support/socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

namespace Kestrava
{
namespace OpenSSL
{
namespace Test
{

namespace
{

sockaddr_in loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

} // namespace

Socket::Socket(int fd) : _fd(fd)
{
    if (_fd < 0) throw std::runtime_error("no socket");
    // A peer that misbehaves fails the test instead of hanging it.
    timeval limit{10, 0};
    setsockopt(_fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(_fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}

Socket::~Socket()
{
    if (_fd >= 0) close(_fd);
}

Socket Socket::connectTo(int port)
{
    Socket socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address = loopback(port);
    if (connect(socket._fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("cannot connect to port " + std::to_string(port));
    return socket;
}

Socket Socket::listenOn(int* port)
{
    Socket socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address = loopback(0);
    socklen_t size = sizeof address;
    if (bind(socket._fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(socket._fd, 1) != 0 ||
        getsockname(socket._fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw std::runtime_error("cannot listen on the loopback address");
    *port = ntohs(address.sin_port);
    return socket;
}

Socket Socket::accept() const
{
    return Socket(::accept4(_fd, nullptr, nullptr, SOCK_CLOEXEC));
}

} // namespace Test
} // namespace OpenSSL
} // namespace Kestrava
