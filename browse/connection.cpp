#include "browse/connection.h"

#include "browse/fixedheaders.h"
#include "browse/handler.h"
#include "browse/header.h"
#include "browse/proxy.h"
#include "dns/hostname/hostname.h"
#include "dns/message/ip.h"
#include "event/loop.h"
#include "network/buffer.h"

#include <cstring>
#include <stdexcept>
#include <string>

#include <strings.h>
#include <sys/uio.h>

namespace Kestrava
{
namespace Browse
{

namespace
{
bool unspecified(const DNS::Ip& ip)
{
    if (ip.version() == 0) return true;
    for (size_t i = 0; i < ip.size(); ++i)
        if (ip.data()[i] != 0) return false;
    return true;
}
} // namespace

Connection::Connection(Event::Loop* loop, const Dns::Hostname& host, const FixedHeaders& fixed,
                       const DNS::Ip& local, const DNS::Ip& ip, uint16_t port, Timeouts timeouts,
                       const Proxy* proxy, Browse::Handler* handler)
    : _loop(loop), _socket(loop, this), _timer(this, timeouts.deadline, 0.0),
      _timeout(timeouts.deadline), _host(&host), _fixed(&fixed), _port(port), _handler(handler)
{
    _deadline = ev_now(loop->loop()) + _timeout;
    _timer.start(loop->loop());
    const DNS::Ip& peer = proxy != nullptr ? proxy->ip() : ip;
    uint16_t peerPort = proxy != nullptr ? proxy->port() : port;
    if (proxy != nullptr) _proxyHandshake = std::make_unique<ProxyHandshake>(ip, port, proxy, this);
    // A wildcard local address binds the wildcard of the peer's family, so
    // that an IPv4 default does not shut out IPv6 peers.
    bool started = unspecified(local) ? _socket.connect(peer, peerPort, timeouts.connect)
                                      : _socket.connect(local, peer, peerPort, timeouts.connect);
    if (!started) throw std::runtime_error("failed to connect");
}

Connection::~Connection() = default;

size_t Connection::request(const char* method, const char* path, size_t size, bool foreign)
{
    flush();
    _asked = true;
    _answered = false;
    bool head = strcmp(method, "HEAD") == 0;
    _repeatable = head || strcmp(method, "GET") == 0;
    _reader.request(head);
    _hostWritten = !foreign && _fixed->host();
    // A path without its "/" (an empty one included) gets one. Parts that
    // do not fit the staging area go out directly, in the same order.
    bool slash = size > 0 && path[0] == '/';
    size_t written = buffer(method, strlen(method)) + buffer(slash ? " " : " /", slash ? 1 : 2) +
                     buffer(path, size) + buffer(" HTTP/1.1\r\n", 11);
    const std::string& fixedText = foreign ? _fixed->foreignText() : _fixed->text();
    return written + buffer(fixedText.data(), fixedText.size());
}

size_t Connection::header(const char* name, size_t nameSize, const char* value, size_t valueSize)
{
    // Only a field named exactly Host is one: "Hostile" is not.
    if (nameSize == 4 && strncasecmp(name, "host", 4) == 0) _hostWritten = true;
    return buffer(name, nameSize) + buffer(": ", 2) + buffer(value, valueSize) + buffer("\r\n", 2);
}

size_t Connection::header(const char* line, size_t size)
{
    if (FixedHeaders::isHostLine(line, size)) _hostWritten = true;
    return buffer(line, size) + buffer("\r\n", 2);
}

size_t Connection::emptyline()
{
    size_t staged = endHead();
    flush();
    return staged;
}

size_t Connection::emptyline(const char* body, size_t size)
{
    size_t staged = endHead();
    // One write for head and body: a separate one for each costs a system
    // call and, for a small body, a packet of its own.
    iovec request[2] = {{_staging, _staged}, {const_cast<char*>(body), size}};
    _socket.write(request, 2, true);
    _staged = 0;
    return staged;
}

size_t Connection::endHead()
{
    size_t staged = 0;
    if (!_hostWritten)
    {
        // The ASCII form (an IPv6 literal keeps its brackets) and the port
        // unless it is the scheme's own.
        std::string host = _host->ascii() != nullptr ? _host->ascii() : "";
        if (_port != (https() ? 443 : 80)) host += ":" + std::to_string(_port);
        staged += header("Host", 4, host.data(), host.size());
    }
    return staged + buffer("\r\n", 2);
}

size_t Connection::buffer(const char* data, size_t size)
{
    if (_staged + size > stagingSize) flush();
    if (size > stagingSize)
    {
        _socket.write(data, size, true);
        return size;
    }
    memcpy(_staging + _staged, data, size);
    _staged += size;
    return size;
}

void Connection::flush()
{
    if (_staged > 0) _socket.write(_staging, _staged, true);
    _staged = 0;
}

void Connection::close()
{
    _reader.close();
    _socket.close();
}

bool Connection::replace(Browse::Handler* handler)
{
    if (!usable()) return false;
    _handler = handler;
    return true;
}

void Connection::expire(double seconds)
{
    if (seconds == 0.0)
    {
        _deadline = 0.0;
        _timer.stop();
        return;
    }
    _deadline = ev_now(_loop->loop()) + seconds;
    // A timer that fires sooner re-arms itself for the rest.
    if (_timer.started() && _timer.remaining() <= seconds) return;
    _timer.stop();
    _timer.set(seconds, 0.0);
    _timer.start(_loop->loop());
}

double Connection::remaining() const
{
    if (_deadline == 0.0) return _timeout;
    double left = _deadline - ev_now(_loop->loop());
    return left > 0.0 ? left : 0.0;
}

void Connection::offer()
{
    if (_handler == nullptr) return close();
    _handler->onAvailable(this);
}

void Connection::fail(const char* message)
{
    Browse::Handler* handler = _handler;
    _handler = nullptr;
    close();
    if (handler != nullptr) handler->onFailed(message);
}

void Connection::onFailure(Network::TcpSocket*)
{
    if (_handler != nullptr) _handler->onFailed("Connect failure");
    end();
}

void Connection::onTimeout(Network::TcpSocket*)
{
    if (_handler != nullptr) _handler->onFailed("Connect timeout");
    end();
}

void Connection::onConnected(Network::TcpSocket*)
{
    // A request head and its body leave in separate writes: without this
    // the body would wait for the server's delayed acknowledgement.
    _socket.setNodelay(true);
    if (_proxyHandshake == nullptr) return established();
    if (!_proxyHandshake->execute(&_socket)) fail("failed to execute proxy handshake");
}

void Connection::onCompleted(const ProxyHandshake*)
{
    _proxyHandshake.reset();
    established();
}

void Connection::onFailed(const ProxyHandshake* handshake)
{
    // One report with the proxy's own words; a loss of the socket that
    // caused it follows and finds no handler.
    std::string message = handshake->message() != nullptr ? handshake->message()
                                                          : "failed to execute proxy handshake";
    _proxyHandshake.reset();
    fail(message.c_str());
}

void Connection::onClosed(Network::TcpSocket*)
{
    if (_handler != nullptr) _handler->onClosed(this);
    end();
}

void Connection::onLost(Network::TcpSocket*)
{
    if (_handler != nullptr)
    {
        if (const char* failure = failureOfLoss())
            _handler->onFailed(failure);
        else if (_reader.endsWithClose() && _socket.endedInOrder())
        {
            // The close ends this body; nothing follows it. A reset, or TLS
            // ended without close_notify, may have cut it: lost.
            _reader.close();
            _handler->onCompleted(this);
        }
        else
            _handler->onLost(this);
    }
    end();
}

void Connection::onData(Network::TcpSocket*, Network::Buffer* buffer)
{
    // Nothing was asked (a kept connection waits for its next request): a
    // server that speaks now, a 408 before it closes say, answers nothing,
    // and the stream is no fit for another request.
    if (!_asked && !_reader.closed()) close();
    _answered = _asked;
    while (buffer->size() > 0)
    {
        iovec run{};
        buffer->copyto(&run, 1, 0, 0);
        size_t used = _reader.read(static_cast<char*>(run.iov_base), run.iov_len,
                                   buffer->size() > run.iov_len);
        if (used > 0)
        {
            buffer->shrink(used);
            continue;
        }
        // An incomplete head or line: it may be cut at a block boundary.
        if (run.iov_len >= buffer->size()) break;
        buffer->buffer(0, buffer->size());
    }
    // A server that writes its head and its body apart holds the body back
    // (Nagle) until the head is acknowledged, and on a connection that was
    // used before the kernel delays that for up to 40 ms: a document each
    // time. Part of an answer came, so acknowledge it now.
    if (_asked && (buffer->size() > 0 || _reader.midway())) _socket.acknowledge();
}

void Connection::onExpired()
{
    if (_deadline == 0.0) return;
    double left = _deadline - ev_now(_loop->loop());
    if (left > 0.0)
    {
        _timer.set(left, 0.0);
        _timer.start(_loop->loop());
        return;
    }
    // A connect still under way has failed: the request may go on to the
    // host's next address.
    if (_socket.state() == Network::TcpSocket::connecting) return onTimeout(&_socket);
    // A request given up ends with a reset: closed in order, the kernel
    // would send on what it holds of the upload, and a server that reads
    // slowly would still get it whole, answer, and see it again.
    if (_asked) _socket.abort();
    if (_handler != nullptr) _handler->onExpired(this);
    end();
}

void Connection::onHead(const Header& header)
{
    if (_handler != nullptr) _handler->onHeader(this, header);
}

void Connection::onBody(const char* data, size_t size)
{
    if (_handler != nullptr) _handler->onReceived(this, data, size);
}

void Connection::onEnd()
{
    _asked = false;
    // Bytes the socket has not handed over yet came after the answer as
    // much as those the reader saw behind it: they answer nothing either.
    if (!_reader.closed() && _socket.inputWaiting()) _reader.close();
    if (_handler != nullptr) _handler->onCompleted(this);
    // Closed by the handler, or no fit for another request: the close,
    // reported as onClosed, ends the connection.
    if (_reader.closed())
    {
        _socket.close();
        return;
    }
    offer();
}

void Connection::onMalformed()
{
    Browse::Handler* handler = _handler;
    _handler = nullptr;
    _socket.close();
    if (handler != nullptr) handler->onLost(this);
}

void Connection::end()
{
    _handler = nullptr;
    delete this;
}

} // namespace Browse
} // namespace Kestrava
