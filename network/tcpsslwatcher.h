#pragma once

#include "dns/tlsarecord.h"
#include "event/timerhandler.h"
#include "event/timerwatcher.h"
#include "network/tcpactivewatcher.h"
#include "openssl/connection.h"

namespace Kestrava
{
namespace OpenSSL
{
class SslContext;
}
namespace Network
{

/**
 * The state of a socket that speaks TLS: runs the handshake, moves data
 * through SSL_read and SSL_write, and follows OpenSSL's requests to wait
 * for readability or writability.
 *
 * Status of the pending TLS operation: handshake (1) → idle (0) with
 * onSecured; a write or shutdown that must wait records write (3) or
 * shutdown (4) and resumes on the next readiness event; close() leads to
 * shutdown (4) → onClosed. Any unrecoverable OpenSSL error, or a peer
 * silent for the time-out while OpenSSL waits to read, ends in onLost.
 * No OpenSSL call may raise SIGPIPE.
 */
class TcpSslWatcher : public TcpActiveWatcher, public Event::TimerHandler
{
public:
    /// Throws std::runtime_error when the TLS connection cannot be made.
    TcpSslWatcher(TcpSocket* socket, const OpenSSL::SslContext& context, double timeout,
                  const char* hostname);
    /// With DANE: the TLSA records, the host name to verify and the base
    /// domain.
    TcpSslWatcher(TcpSocket* socket, const OpenSSL::SslContext& context, double timeout,
                  const Kestrava::Dns::TlsaRecords& records, const char* hostname,
                  const char* baseDomain);

    bool detach() override;
    bool attach(Event::Loop* loop) override;
    bool close() override;
    /// TLS cannot start twice.
    bool tlsStartable() const override { return false; }
    size_t write(const char* data, size_t size, bool buffer) override;
    size_t write(const iovec* vectors, size_t count, bool buffer) override;
    size_t buffer(const char* data, size_t size) override;
    size_t buffer(const iovec* vectors, size_t count, size_t skip) override;
    bool wait() override;
    bool flush() override;
    /// A read takes one record: one the peer wrote next may have come with
    /// it and wait in the kernel, whatever the size of the first.
    bool readFilled() const override { return true; }
    /// As on a plain socket, no TLS operation pending either; a record that
    /// waits is read, to tell a close_notify or an alert from a handshake
    /// message after the handshake (a session ticket, a key update), which
    /// leaves the connection as it was.
    bool quiet() override;

    void onReadable(int fd) override;
    void onWritable(int fd) override;
    void onExpired() override;
    void onActive(int fd, int events) override;

    SSL* ssl() const { return _connection.ssl(); }

private:
    enum Status
    {
        none = 0,
        handshaking = 1,
        reading = 2,
        writing = 3,
        shuttingDown = 4,
    };

    void start();

    /// Follows what OpenSSL asks for after a call that did not complete;
    /// false when the connection cannot go on.
    bool reschedule(int result, Status status);

    /// Whether a failed call only has to wait.
    bool waiting(int result) const;

    void handshake();
    /// Reads while input is there; beside a waiting write too.
    void read();
    /// The events of a socket whose write waits.
    void resumeWrite(int events);
    /// Resumes the queued output, then the shutdown or idleness.
    void writeStep();
    void shutdown();
    /// Asks for the shutdown on the next readiness event.
    void startShutdown();
    /// No TLS operation pending: read interest, and write interest when
    /// onWritable was asked for.
    void becomeIdle();

    /// Writes the queued output run by run; on a wait, reschedules. False
    /// on an unrecoverable error, with the output dropped.
    bool sendOutput();
    /// Sends output just queued unless a TLS operation is pending; returns
    /// `added`, or 0 when the connection broke.
    size_t sendQueued(size_t added);

    void restartTimer(double after);
    double now() const;

    OpenSSL::Connection _connection;
    /// The length of an SSL_write that must be repeated with the same bytes.
    int _retryLength = 0;
    Status _status = handshaking;
    bool _writeRequested = false;
    /// The loop time by which a waiting read must progress; 0 for none.
    double _deadline = 0.0;
    double _timeout;
    Event::TimerWatcher _timer;
};

} // namespace Network
} // namespace Kestrava
