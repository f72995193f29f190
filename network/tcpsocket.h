#pragma once

#include "dns/tlsarecord.h"

#include <openssl/ssl.h>
#include <sys/uio.h>

#include <cstddef>
#include <cstdint>

namespace DNS
{
class Ip;
}

namespace Kestrava
{
namespace Event
{
class Loop;
}
namespace OpenSSL
{
class SslContext;
}
namespace Network
{

class Buffer;
class TcpHandler;
class TcpWatcher;

/**
 * A non-blocking TCP socket on an event loop that reports everything that
 * happens to it to one TcpHandler.
 *
 * States: idle (no descriptor) → connect → connecting → connected, or back
 * to idle on failure or time-out; connected → close() → idle once the
 * close is done, or lost → idle; idle → listen → listening. What the socket
 * does in each state is its state object's (TcpWatcher), replaced at each
 * transition. Over TLS the state object is a TcpSslWatcher.
 */
class TcpSocket
{
public:
    /// The states, as state() gives them.
    static constexpr int idle = 0;
    static constexpr int connecting = 1;
    static constexpr int established = 2;
    static constexpr int listening = 3;

    /// An idle socket on the process's main loop.
    explicit TcpSocket(TcpHandler* handler);
    /// An idle socket on `loop` (the main loop when null).
    TcpSocket(Event::Loop* loop, TcpHandler* handler);
    /// Accepts the waiting connection of a listening socket; throws
    /// std::runtime_error with the system's text when that fails.
    TcpSocket(TcpSocket* listener, TcpHandler* handler);
    TcpSocket(Event::Loop* loop, TcpSocket* listener, TcpHandler* handler);

    /// Takes over everything, then tells the handler onMoved.
    TcpSocket(TcpSocket&& other) noexcept;
    /// Takes over everything; a descriptor this socket held stays open.
    TcpSocket& operator=(TcpSocket&& other) noexcept;

    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    virtual ~TcpSocket();

    /**
     * Starts a connect from any local port; true while it is under way,
     * and the outcome arrives as onConnected, onFailure or onTimeout, never
     * inside this call. False at once when the socket is not idle or the
     * connect cannot start.
     */
    bool connect(const DNS::Ip& ip, uint16_t port, double timeout);
    /// The same from the given local address and port; false when the two
    /// addresses are of different families.
    bool connect(const DNS::Ip& local, uint16_t localPort, const DNS::Ip& ip, uint16_t port,
                 double timeout);
    bool connect(const DNS::Ip& local, const DNS::Ip& ip, uint16_t port, double timeout);

    /// Listens on the address (an unset one: any IPv4, else any IPv6).
    bool listen(const DNS::Ip& ip, uint16_t port, bool reusePort);
    bool listen(uint16_t port, bool reusePort);
    bool listen();
    /// Accepts the waiting connection of `listener` into this idle socket.
    bool accept(const TcpSocket& listener);

    /// Returns the bytes accepted (written or, with `buffer`, queued).
    size_t write(const char* data, size_t size, bool buffer);
    size_t write(const iovec* vectors, int count, bool buffer);
    /// Queues without trying to write now.
    size_t buffer(const char* data, size_t size);

    /// Asks for one onWritable once all queued output is written.
    bool wait();
    /// Reports input that is still held once more.
    void report();
    /// Starts an orderly close, ended by onClosed (or onLost); a listening
    /// socket closes at once.
    bool close();
    /// Drops descriptor and state object at once, without a report.
    bool disconnect();
    /// The same, ending the connection with a reset (zero linger): what
    /// the kernel still holds to send is discarded, not sent on.
    bool abort();

    bool detach();
    bool attach(Event::Loop* loop);
    /// Attaches again to the loop it was last attached to.
    bool resume();

    bool nodelay() const;
    bool setNodelay(bool on);
    /// Acknowledges the input received so far at once rather than after
    /// the kernel's delayed-acknowledgement moment, where the system can.
    bool acknowledge();
    bool reusable(bool address, bool port);
    /// The pending socket error, or errno when it cannot be read.
    int error() const;
    /// Switches blocking mode; switching it on first writes all queued
    /// output. Throws std::runtime_error when the flags cannot be read.
    bool blocking(bool on);
    bool connected() const;
    /// Whether input that came with the last read waits behind what onData
    /// carried: bytes TLS decrypted and holds or, when the last read may
    /// have left some in the kernel (it filled its room, or was a TLS read,
    /// which takes one record), bytes the kernel holds. Otherwise its
    /// system call is saved.
    bool inputWaiting() const;
    /// Whether nothing is on its way either way: no output queued, and the
    /// peer has sent nothing since the last read, no bytes, no end of its
    /// stream (a FIN, a reset; over TLS a close_notify or an alert). One
    /// non-blocking call; false when not connected.
    bool quiet();

    /// Whether TLS can start now: connected, nothing queued, not closing.
    bool tlsStartable() const;
    /// Switches the connection to TLS; onSecured follows the handshake.
    /// False, with the plain connection going on, when it cannot start.
    bool startTls(const OpenSSL::SslContext& context, double timeout, const char* hostname);
    bool startTls(const OpenSSL::SslContext& context, double timeout,
                  const Kestrava::Dns::TlsaRecords& records, const char* hostname,
                  const char* baseDomain);
    /// With the process-wide client context, sslContext().
    bool startTls(double timeout, const char* hostname);
    /// The TLS connection, null without TLS.
    SSL* ssl() const;

    /// Whether the last onLost was the peer's orderly end of its stream (a
    /// FIN; over TLS its close_notify) rather than a reset or an error.
    bool endedInOrder() const { return _endedInOrder; }

    int fd() const { return _fd; }
    int state() const { return _state; }
    Event::Loop* loop() const { return _loop; }
    TcpHandler* handler() const { return _handler; }
    /// Reports go to `handler` from now on (a proxy handshake borrows the
    /// socket this way).
    void setHandler(TcpHandler* handler) { _handler = handler; }

    /// Reports of the state objects: the socket's own effect first, then
    /// the handler's call.
    void reportConnected();
    void reportFailure();
    void reportTimeout();
    void reportConnect();
    /// `orderly`: the peer ended its stream in order (see endedInOrder).
    void reportLost(bool orderly = false);
    void reportClosed();
    void reportSecured();
    void reportData(Buffer* buffer);
    void reportWritable();

private:
    /// The connect sequence; with `retries` a busy local address or port
    /// makes a few more attempts with new sockets.
    bool connectFrom(const DNS::Ip& local, uint16_t localPort, const DNS::Ip& ip, uint16_t port,
                     double timeout, bool retries);
    /// One attempt; errno tells why it failed.
    bool attemptConnect(const DNS::Ip& local, uint16_t localPort, const DNS::Ip& ip, uint16_t port,
                        double timeout);
    bool createSocket(const DNS::Ip& ip);
    /// Replaces the state object by the TLS one that `make` builds; false,
    /// with the old one kept, when building throws.
    template <typename Make> bool installTls(Make make);

    int _fd = -1;
    int _state = idle;
    TcpHandler* _handler;
    Event::Loop* _loop;
    TcpWatcher* _watcher = nullptr;
    bool _endedInOrder = false;
};

} // namespace Network
} // namespace Kestrava
