#pragma once

namespace Kestrava
{
namespace OpenSSL
{
namespace Test
{

/// A blocking loopback TCP socket with ten-second time-outs, closed with
/// the object.
class Socket
{
public:
    /// A connection to 127.0.0.1:`port`.
    static Socket connectTo(int port);

    /// A listening socket on a free loopback port, stored in `port`.
    static Socket listenOn(int* port);

    Socket(Socket&& other) noexcept : _fd(other._fd) { other._fd = -1; }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    ~Socket();

    /// The next connection to a listening socket.
    Socket accept() const;

    int fd() const { return _fd; }

private:
    explicit Socket(int fd);

    int _fd;
};

} // namespace Test
} // namespace OpenSSL
} // namespace Kestrava
