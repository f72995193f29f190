#pragma once

#include "browse/proxyhandshake.h"
#include "browse/responsereader.h"
#include "event/timerhandler.h"
#include "event/timerwatcher.h"
#include "network/tcphandler.h"
#include "network/tcpsocket.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace DNS
{
class Ip;
}

namespace Kestrava
{
namespace Dns
{
class Hostname;
}
namespace Event
{
class Loop;
}
namespace Browse
{

class FixedHeaders;
class Handler;

/**
 * One HTTP/1.1 client connection to one address and port.
 *
 * It connects, offers itself to its handler (onAvailable), which writes a
 * request through the request writer (request, header, emptyline, then the
 * body on socket()), and reports the response. After a complete response
 * it offers itself again, to the same handler or one installed by replace,
 * or closes when it has none. It deletes itself after its last report;
 * the deadline given at construction covers connecting and the first
 * request and response until expire() renews it. A request still under way
 * at the deadline is aborted (a reset): the server gets no more of it.
 *
 * States: connecting → offered → response (head, body) → offered again, or
 * closed (close(), a malformed response, the server's close, or input
 * received after a complete response or before any request, which answers
 * nothing).
 */
class Connection : public Network::TcpHandler,
                   public Event::TimerHandler,
                   public ProxyHandshake::Handler,
                   private ResponseReader::Receiver
{
public:
    /// The time-out in seconds of the deadline set at creation, and that of
    /// the connect, which may be shorter so that another address can still
    /// be tried.
    struct Timeouts
    {
        double deadline;
        double connect;
    };

    /// Starts connecting from `local` (an unspecified address binds the
    /// wildcard of the target's family), to the target or, with a proxy,
    /// to the proxy. Throws std::runtime_error "failed to connect" when the
    /// connect cannot start. The host name, the fixed headers and the proxy
    /// must outlive the connection.
    Connection(Event::Loop* loop, const Dns::Hostname& host, const FixedHeaders& fixed,
               const DNS::Ip& local, const DNS::Ip& ip, uint16_t port, Timeouts timeouts,
               const Proxy* proxy, Browse::Handler* handler);
    ~Connection() override;

    /// Stages the request line ("/" put before a path without one) and the
    /// fixed headers, without those only their own origin may see when
    /// `foreign` (a redirect led elsewhere); returns the bytes staged or
    /// written.
    size_t request(const char* method, const char* path, size_t size, bool foreign = false);
    /// Stages "name: value" and its line end.
    size_t header(const char* name, size_t nameSize, const char* value, size_t valueSize);
    /// Stages a whole header line and its line end.
    size_t header(const char* line, size_t size);
    /// Stages a Host header unless one was written, and the empty line, and
    /// writes everything out. The body follows on socket().
    size_t emptyline();
    /// As emptyline(), with the body leaving in the same write as the head.
    size_t emptyline(const char* body, size_t size);
    /// Writes out what is staged.
    void flush();

    /// Closes in order; the end is reported as onClosed.
    void close();
    /// False inside the reports that end the connection: it is going away.
    bool connected() const { return _socket.state() != Network::TcpSocket::idle; }
    /// Whether the connection can carry another request.
    bool usable() const { return _reader.usable(); }
    /// Whether it can carry one now: usable, nothing of the last request
    /// left to write (a server may answer before it read it all), and the
    /// server has sent nothing since the answer, neither bytes nor its close
    /// (which may wait unread). One non-blocking call.
    bool reusable() { return usable() && _socket.quiet(); }
    /// A request was written and no byte of its answer came.
    bool unanswered() const { return _asked && !_answered; }
    /// Whether the current request may go once more on a fresh connection
    /// should the server close this one before answering: GET and HEAD,
    /// and any other whose writer allowed it.
    bool repeatable() const { return _repeatable; }
    /// Allows the current request to be repeated (see repeatable()): its
    /// handler is then offered the fresh connection and writes it again.
    void allowRepeat() { _repeatable = true; }
    /// Hands the connection to another handler; false when not usable.
    bool replace(Browse::Handler* handler);
    /// The deadline becomes `seconds` from now; 0 removes it.
    void expire(double seconds);
    /// Offers the connection to its handler, or closes it without one.
    void offer();

    virtual bool https() const { return false; }
    /// Whether the TLS certificate is valid (for the host, when strict).
    virtual bool secure(bool strict) const
    {
        (void)strict;
        return false;
    }
    /// Why the TLS certificate is not valid for the host, in OpenSSL's words
    /// ("self-signed certificate", "hostname mismatch"); null when it is,
    /// before the handshake and on a plain connection.
    virtual const char* certificateError() const { return nullptr; }

    Network::TcpSocket* socket() { return &_socket; }
    Browse::Handler* handler() const { return _handler; }
    uint16_t port() const { return _port; }
    const Dns::Hostname& host() const { return *_host; }

protected:
    /// The connection stands (TCP, and the proxy when there is one).
    virtual void established() { offer(); }
    /// Why a connection lost before it was usable failed, or null when the
    /// loss is a lost response.
    virtual const char* failureOfLoss() const { return nullptr; }
    /// The connection cannot be used: the handler is let go and told, and
    /// the connection closes.
    void fail(const char* message);
    /// Seconds left until the deadline (the whole time-out without one).
    double remaining() const;

    void onFailure(Network::TcpSocket* socket) override;
    void onTimeout(Network::TcpSocket* socket) override;
    void onConnected(Network::TcpSocket* socket) override;
    void onClosed(Network::TcpSocket* socket) override;
    void onLost(Network::TcpSocket* socket) override;
    void onData(Network::TcpSocket* socket, Network::Buffer* buffer) override;
    void onExpired() override;
    void onCompleted(const ProxyHandshake* handshake) override;
    void onFailed(const ProxyHandshake* handshake) override;

    Event::Loop* _loop;
    Network::TcpSocket _socket;
    ResponseReader _reader{this};

private:
    void onHead(const Header& header) override;
    void onBody(const char* data, size_t size) override;
    void onEnd() override;
    void onMalformed() override;

    /// Stages bytes; a run larger than the staging area is written at once.
    size_t buffer(const char* data, size_t size);
    /// Stages the Host line when none was written, and the empty line.
    size_t endHead();
    /// Lets the handler go and deletes the connection.
    void end();

    Event::TimerWatcher _timer;
    /// The proxy handshake until it is over; null on a direct connection.
    std::unique_ptr<ProxyHandshake> _proxyHandshake;
    /// Loop time of the deadline; 0 for none.
    double _deadline = 0.0;
    double _timeout;

    static constexpr size_t stagingSize = 2048;
    char _staging[stagingSize];
    size_t _staged = 0;

    const Dns::Hostname* _host;
    const FixedHeaders* _fixed;
    uint16_t _port;
    /// A Host line is part of the current request.
    bool _hostWritten = false;
    /// A request was written whose response has not ended yet.
    bool _asked = false;
    /// Bytes of the answer to the current request came.
    bool _answered = false;
    bool _repeatable = false;
    Browse::Handler* _handler;
};

} // namespace Browse
} // namespace Kestrava
