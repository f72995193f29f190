#include "network/tcpsocket.h"

#include "dns/message/ip.h"
#include "dns/transport/address.h"
#include "event/mainloop.h"
#include "network/tcpactivewatcher.h"
#include "network/tcpconnectwatcher.h"
#include "network/tcphandler.h"
#include "network/tcplistenwatcher.h"
#include "network/sslcontext.h"
#include "network/tcpsslwatcher.h"
#include "openssl/functions.h"
#include "openssl/sslcontext.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <stdexcept>

namespace Kestrava
{
namespace Network
{

namespace
{

/// Attempts of a connect whose local address or port is busy: a few
/// fresh sockets may find a free port, more would only spin.
constexpr int maxConnectAttempts = 4;

constexpr int listenBacklog = 5;

DNS::Ip wildcard(const DNS::Ip& ip)
{
    return DNS::Ip(ip.version() == 6 ? "::" : "0.0.0.0");
}

bool setOption(int fd, int level, int name, int value)
{
    return ::setsockopt(fd, level, name, &value, sizeof value) == 0;
}

std::runtime_error systemError()
{
    return std::runtime_error(std::strerror(errno));
}

} // namespace

TcpSocket::TcpSocket(TcpHandler* handler) : TcpSocket(static_cast<Event::Loop*>(nullptr), handler)
{
}

TcpSocket::TcpSocket(Event::Loop* loop, TcpHandler* handler)
    : _handler(handler), _loop(loop != nullptr ? loop : Event::MainLoop::instance())
{
}

TcpSocket::TcpSocket(TcpSocket* listener, TcpHandler* handler)
    : TcpSocket(listener->loop(), listener, handler)
{
}

TcpSocket::TcpSocket(Event::Loop* loop, TcpSocket* listener, TcpHandler* handler)
    : TcpSocket(loop, handler)
{
    if (!accept(*listener)) throw systemError();
}

TcpSocket::TcpSocket(TcpSocket&& other) noexcept
    : _fd(other._fd), _state(other._state), _handler(other._handler), _loop(other._loop),
      _watcher(other._watcher)
{
    if (_watcher != nullptr) _watcher->setSocket(this);
    other._fd = -1;
    other._state = idle;
    other._watcher = nullptr;
    if (_handler != nullptr) _handler->onMoved(&other, this);
}

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept
{
    if (this == &other) return *this;
    delete _watcher;
    _fd = other._fd;
    _state = other._state;
    _handler = other._handler;
    _loop = other._loop;
    _watcher = other._watcher;
    if (_watcher != nullptr) _watcher->setSocket(this);
    other._fd = -1;
    other._state = idle;
    other._watcher = nullptr;
    return *this;
}

TcpSocket::~TcpSocket()
{
    disconnect();
}

bool TcpSocket::connect(const DNS::Ip& ip, uint16_t port, double timeout)
{
    return connectFrom(wildcard(ip), 0, ip, port, timeout, true);
}

bool TcpSocket::connect(const DNS::Ip& local, uint16_t localPort, const DNS::Ip& ip, uint16_t port,
                        double timeout)
{
    if (local.version() != ip.version()) return false;
    return connectFrom(local, localPort, ip, port, timeout, localPort != 0);
}

bool TcpSocket::connect(const DNS::Ip& local, const DNS::Ip& ip, uint16_t port, double timeout)
{
    return connect(local, 0, ip, port, timeout);
}

bool TcpSocket::connectFrom(const DNS::Ip& local, uint16_t localPort, const DNS::Ip& ip,
                            uint16_t port, double timeout, bool retries)
{
    if (_state != idle) return false;
    for (int attempt = 1;; ++attempt)
    {
        if (attemptConnect(local, localPort, ip, port, timeout)) return true;
        bool busy = errno == EADDRINUSE || errno == EADDRNOTAVAIL;
        if (!retries || !busy || attempt == maxConnectAttempts) return false;
    }
}

bool TcpSocket::attemptConnect(const DNS::Ip& local, uint16_t localPort, const DNS::Ip& ip,
                               uint16_t port, double timeout)
{
    if (!createSocket(ip)) return false;
    DNS::Address source(local, localPort);
    DNS::Address target(ip, port);
    _state = connecting;
    if (setOption(_fd, SOL_SOCKET, SO_REUSEADDR, 1) &&
        setOption(_fd, SOL_SOCKET, SO_REUSEPORT, 0) && ::bind(_fd, source, source.size()) == 0)
    {
        // An immediate success is reported from the loop all the same.
        if (::connect(_fd, target, target.size()) == 0)
        {
            _watcher = new TcpConnectWatcher(this, 0.0);
            return true;
        }
        if (errno == EINPROGRESS)
        {
            _watcher = new TcpConnectWatcher(this, timeout);
            return true;
        }
    }
    int error = errno;
    disconnect();
    errno = error;
    return false;
}

bool TcpSocket::createSocket(const DNS::Ip& ip)
{
    if (_fd >= 0 || ip.version() == 0) return false;
    int family = ip.version() == 6 ? AF_INET6 : AF_INET;
    _fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (_fd < 0) return false;
    setOption(_fd, SOL_SOCKET, SO_KEEPALIVE, 1);
    return true;
}

bool TcpSocket::listen(const DNS::Ip& ip, uint16_t port, bool reusePort)
{
    if (_state != idle) return false;
    DNS::Ip address = ip;
    if (address.version() == 0)
    {
        address = DNS::Ip("0.0.0.0");
        if (!createSocket(address)) address = DNS::Ip("::");
    }
    if (_fd < 0 && !createSocket(address)) return false;
    _state = listening;
    DNS::Address local(address, port);
    if (!setOption(_fd, SOL_SOCKET, SO_REUSEADDR, 1) ||
        !setOption(_fd, SOL_SOCKET, SO_REUSEPORT, reusePort ? 1 : 0) ||
        ::bind(_fd, local, local.size()) != 0 || ::listen(_fd, listenBacklog) != 0)
    {
        disconnect();
        return false;
    }
    _watcher = new TcpListenWatcher(this);
    return true;
}

bool TcpSocket::listen(uint16_t port, bool reusePort)
{
    return listen(DNS::Ip("0.0.0.0"), port, reusePort);
}

bool TcpSocket::listen()
{
    return listen(0, false);
}

bool TcpSocket::accept(const TcpSocket& listener)
{
    if (_state != idle) return false;
    _fd = ::accept4(listener.fd(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (_fd < 0) return false;
    _state = established;
    _watcher = new TcpActiveWatcher(this);
    return true;
}

size_t TcpSocket::write(const char* data, size_t size, bool buffer)
{
    return _watcher != nullptr ? _watcher->write(data, size, buffer) : 0;
}

size_t TcpSocket::write(const iovec* vectors, int count, bool buffer)
{
    if (_watcher == nullptr || count < 0) return 0;
    return _watcher->write(vectors, static_cast<size_t>(count), buffer);
}

size_t TcpSocket::buffer(const char* data, size_t size)
{
    return _watcher != nullptr ? _watcher->buffer(data, size) : 0;
}

bool TcpSocket::wait()
{
    return _watcher != nullptr && _watcher->wait();
}

void TcpSocket::report()
{
    if (_watcher != nullptr) _watcher->report();
}

bool TcpSocket::close()
{
    if (_state == idle) return false;
    if (_state == listening) return disconnect();
    return _watcher->close();
}

bool TcpSocket::disconnect()
{
    delete _watcher;
    _watcher = nullptr;
    if (_fd >= 0) ::close(_fd);
    _fd = -1;
    _state = idle;
    return true;
}

bool TcpSocket::abort()
{
    if (_fd >= 0)
    {
        const linger reset{1, 0};
        ::setsockopt(_fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    }
    return disconnect();
}

bool TcpSocket::detach()
{
    return _watcher != nullptr && _watcher->detach();
}

bool TcpSocket::attach(Event::Loop* loop)
{
    _loop = loop;
    if (_watcher == nullptr) return true;
    // A watcher started on one loop must stop there before it starts on
    // another.
    _watcher->detach();
    return _watcher->attach(loop);
}

bool TcpSocket::resume()
{
    return attach(_loop);
}

bool TcpSocket::nodelay() const
{
    int value = 0;
    socklen_t size = sizeof value;
    if (_fd < 0 || ::getsockopt(_fd, IPPROTO_TCP, TCP_NODELAY, &value, &size) != 0) return false;
    return value != 0;
}

bool TcpSocket::setNodelay(bool on)
{
    return _fd >= 0 && setOption(_fd, IPPROTO_TCP, TCP_NODELAY, on ? 1 : 0);
}

bool TcpSocket::acknowledge()
{
#ifdef TCP_QUICKACK
    return _fd >= 0 && setOption(_fd, IPPROTO_TCP, TCP_QUICKACK, 1);
#else
    return false;
#endif
}

bool TcpSocket::reusable(bool address, bool port)
{
    bool addressSet = setOption(_fd, SOL_SOCKET, SO_REUSEADDR, address ? 1 : 0);
    bool portSet = setOption(_fd, SOL_SOCKET, SO_REUSEPORT, port ? 1 : 0);
    return addressSet && portSet;
}

int TcpSocket::error() const
{
    int value = 0;
    socklen_t size = sizeof value;
    if (::getsockopt(_fd, SOL_SOCKET, SO_ERROR, &value, &size) != 0) return errno;
    return value;
}

bool TcpSocket::blocking(bool on)
{
    int flags = ::fcntl(_fd, F_GETFL);
    if (flags < 0) throw systemError();
    if (!on) return ::fcntl(_fd, F_SETFL, flags | O_NONBLOCK) == 0;
    if (::fcntl(_fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return false;
    return _watcher == nullptr || _watcher->flush();
}

bool TcpSocket::connected() const
{
    if (_state == established) return true;
    if (_state != connecting || error() != 0) return false;
    sockaddr_storage peer;
    socklen_t size = sizeof peer;
    return ::getpeername(_fd, reinterpret_cast<sockaddr*>(&peer), &size) == 0;
}

bool TcpSocket::inputWaiting() const
{
    if (_fd < 0) return false;
    if (SSL* connection = ssl(); connection != nullptr && OpenSSL::SSL_pending(connection) > 0)
        return true;
    if (_watcher == nullptr || !_watcher->readFilled()) return false;
    int size = 0;
    return ::ioctl(_fd, FIONREAD, &size) == 0 && size > 0;
}

bool TcpSocket::quiet()
{
    return _state == established && _watcher != nullptr && _watcher->quiet();
}

bool TcpSocket::tlsStartable() const
{
    return _state == established && _watcher->tlsStartable() && sslContext().context() != nullptr;
}

template <typename Make> bool TcpSocket::installTls(Make make)
{
    TcpWatcher* watcher;
    try
    {
        watcher = make();
    }
    catch (const std::exception&)
    {
        return false;
    }
    // The plain state object's unread input goes with it.
    delete _watcher;
    _watcher = watcher;
    return true;
}

bool TcpSocket::startTls(const OpenSSL::SslContext& context, double timeout, const char* hostname)
{
    if (_state != established || !_watcher->tlsStartable() || context.context() == nullptr)
        return false;
    return installTls([&] { return new TcpSslWatcher(this, context, timeout, hostname); });
}

bool TcpSocket::startTls(const OpenSSL::SslContext& context, double timeout,
                         const Kestrava::Dns::TlsaRecords& records, const char* hostname,
                         const char* baseDomain)
{
    if (_state != established || !_watcher->tlsStartable() || context.context() == nullptr)
        return false;
    return installTls(
        [&] { return new TcpSslWatcher(this, context, timeout, records, hostname, baseDomain); });
}

bool TcpSocket::startTls(double timeout, const char* hostname)
{
    return startTls(sslContext(), timeout, hostname);
}

SSL* TcpSocket::ssl() const
{
    auto secure = dynamic_cast<TcpSslWatcher*>(_watcher);
    return secure != nullptr ? secure->ssl() : nullptr;
}

void TcpSocket::reportConnected()
{
    _state = established;
    auto connecting = static_cast<TcpConnectWatcher*>(_watcher);
    _watcher = new TcpActiveWatcher(this, &connecting->output());
    delete connecting;
    _handler->onConnected(this);
}

void TcpSocket::reportFailure()
{
    disconnect();
    _handler->onFailure(this);
}

void TcpSocket::reportTimeout()
{
    disconnect();
    _handler->onTimeout(this);
}

void TcpSocket::reportConnect()
{
    _handler->onConnect(this);
}

void TcpSocket::reportLost(bool orderly)
{
    _endedInOrder = orderly;
    disconnect();
    _handler->onLost(this);
}

void TcpSocket::reportClosed()
{
    disconnect();
    _handler->onClosed(this);
}

void TcpSocket::reportSecured()
{
    _handler->onSecured(this);
}

void TcpSocket::reportData(Buffer* buffer)
{
    _handler->onData(this, buffer);
}

void TcpSocket::reportWritable()
{
    _handler->onWritable(this);
}

} // namespace Network
} // namespace Kestrava
