#include "amqp/tcp/tcpresolver.h"

#include "amqp/monitor.h"
#include "amqp/tcp/addressinfo.h"
#include "amqp/tcp/openssl.h"
#include "amqp/tcp/sslhandshake.h"
#include "amqp/tcp/tcpclosed.h"
#include "amqp/tcp/tcpconnected.h"
#include "amqp/tcp/tcpparent.h"
#include "amqp/tcphandler.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace AMQP
{

TcpResolver::TcpResolver(TcpParent* parent, std::string hostname, uint16_t port, bool secure,
                         int timeout, const ConnectionOrder& order)
    : TcpExtState(parent), _hostname(std::move(hostname)), _secure(secure), _port(port),
      _timeout(std::max(timeout, 0)), _order(order)
{
    _parent->onIdle(this, _pipe.in(), readable);
    _thread = std::thread(&TcpResolver::run, this);
}

TcpResolver::~TcpResolver()
{
    _parent->onIdle(this, _pipe.in(), 0);
    _thread.join();
    // Never watched, so never unwatched: closed quietly.
    if (_found >= 0) ::close(_found);
}

void TcpResolver::run()
{
    if (_secure && !OpenSSL::valid())
    {
        const char* missing = OpenSSL::missing();
        // Without SSL_CTX_new there is no OpenSSL at all; otherwise it is
        // one that lacks what we call.
        _error = std::strcmp(missing, "SSL_CTX_new") == 0
                     ? "Secure connection cannot be established: libssl.so cannot be loaded"
                     : std::string("Secure connection cannot be established: Method ") + missing +
                           " not found";
    }
    else
    {
        try
        {
            AddressInfo addresses(_hostname.c_str(), _port, _order);
            for (size_t index = 0; index < addresses.size() && _found < 0; ++index)
                _found = connect(addresses[index]);
        }
        catch (const std::runtime_error& error)
        {
            _error = error.what();
        }
        if (_found >= 0)
        {
            int one = 1;
            setsockopt(_found, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        }
    }
    _finished.store(true, std::memory_order_release);
    if (!_pipe.notify()) _error = strerror(errno);
}

int TcpResolver::connect(const addrinfo* entry)
{
    int fd = socket(entry->ai_family, entry->ai_socktype | SOCK_CLOEXEC, entry->ai_protocol);
    if (fd < 0) return -1;
    fcntl(fd, F_SETFL, O_NONBLOCK);
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one);
    if (::connect(fd, entry->ai_addr, entry->ai_addrlen) == 0) return fd;
    // Anything but "in progress" failed at once (unreachable, no such
    // local address): nothing to wait for.
    if (errno != EINPROGRESS)
    {
        _error = strerror(errno);
        ::close(fd);
        return -1;
    }
    pollfd descriptor{fd, POLLOUT, 0};
    int result;
    while ((result = poll(&descriptor, 1, _timeout * 1000)) < 0 && errno == EINTR)
    {
    }
    if (result == 0)
        _error = "connection timed out";
    else if (result < 0)
        _error = strerror(errno);
    else
    {
        int error = 0;
        socklen_t size = sizeof error;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) error = errno;
        if (error == 0) return fd;
        _error = strerror(error);
    }
    ::close(fd);
    return -1;
}

TcpState* TcpResolver::process(const Monitor& monitor, int fd, int flags)
{
    if (fd != _pipe.in() || (flags & readable) == 0) return this;
    if (!_finished.load(std::memory_order_acquire)) return this;
    return proceed(monitor);
}

TcpState* TcpResolver::failed(const Monitor& monitor, const char* message)
{
    _parent->onError(this, message, false);
    return monitor.valid() ? new TcpClosed(this) : nullptr;
}

TcpState* TcpResolver::proceed(const Monitor& monitor)
{
    if (_found < 0) return failed(monitor, _error.c_str());
    _socket = std::exchange(_found, -1);
    try
    {
        _parent->onConnected(this);
        if (!monitor.valid()) return nullptr;
        if (_secure) return new SslHandshake(this, _hostname, std::move(_buffer));
        return new TcpConnected(this, std::move(_buffer));
    }
    catch (const std::runtime_error& error)
    {
        if (!monitor.valid()) return nullptr;
        // Nothing watched the socket yet: it goes quietly, and the failure
        // is reported like one of the thread's.
        if (_socket >= 0) ::close(std::exchange(_socket, -1));
        std::string message = error.what();
        return failed(monitor, message.c_str());
    }
}

} // namespace AMQP
