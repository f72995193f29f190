#include "network/tcpsslwatcher.h"

#include "event/loop.h"
#include "event/monitor.h"
#include "network/detail/sigpipeblock.h"
#include "network/tcpsocket.h"
#include "openssl/functions.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace Kestrava
{
namespace Network
{

namespace
{

/// The least room one SSL_read is given.
constexpr int minimumReadRoom = 10240;

/// The most plaintext one TLS record carries (RFC 8446 section 5.1).
constexpr size_t maxRecord = 16384;

/// The most bytes one SSL_write is handed.
constexpr size_t maxWriteLength = INT_MAX / 2;

/// One OpenSSL call with a clean error queue, so that SSL_get_error reads
/// this call's outcome, and with SIGPIPE held off.
template <typename Call> int call(Call openssl)
{
    detail::SigpipeBlock block;
    OpenSSL::ERR_clear_error();
    return openssl();
}

} // namespace

TcpSslWatcher::TcpSslWatcher(TcpSocket* socket, const OpenSSL::SslContext& context, double timeout,
                             const char* hostname)
    : TcpActiveWatcher(socket), _connection(context, socket->fd(), hostname), _timeout(timeout),
      _timer(this, timeout, 0.0)
{
    start();
}

TcpSslWatcher::TcpSslWatcher(TcpSocket* socket, const OpenSSL::SslContext& context, double timeout,
                             const Kestrava::Dns::TlsaRecords& records, const char* hostname,
                             const char* baseDomain)
    : TcpActiveWatcher(socket), _connection(context, socket->fd(), records, hostname, baseDomain),
      _timeout(timeout), _timer(this, timeout, 0.0)
{
    start();
}

void TcpSslWatcher::start()
{
    // The first writability starts the handshake.
    setInterest(true);
}

double TcpSslWatcher::now() const
{
    return ev_now(_loop->loop());
}

void TcpSslWatcher::restartTimer(double after)
{
    _timer.stop();
    _timer.set(after, 0.0);
    _timer.start(_loop->loop());
}

bool TcpSslWatcher::detach()
{
    _timer.stop();
    return TcpActiveWatcher::detach();
}

bool TcpSslWatcher::attach(Event::Loop* loop)
{
    TcpActiveWatcher::attach(loop);
    _timer.stop();
    if (_deadline > 0.0) restartTimer(std::max(_deadline - now(), 0.0));
    return true;
}

bool TcpSslWatcher::reschedule(int result, Status status)
{
    switch (OpenSSL::SSL_get_error(ssl(), result))
    {
    case SSL_ERROR_WANT_READ:
        // A waiting read keeps an asked-for onWritable coming.
        setInterest(status == none && _writeRequested);
        _status = status;
        // Only a peer we wait for is held to the time-out.
        _deadline = now() + _timeout;
        if (!_timer.started()) restartTimer(_timeout);
        return true;
    case SSL_ERROR_WANT_WRITE:
        setInterest(true);
        _status = status;
        _deadline = 0.0;
        return true;
    case SSL_ERROR_NONE:
        setInterest(_writeRequested || _output.size() > 0);
        _status = none;
        _deadline = 0.0;
        return true;
    default:
        return false;
    }
}

bool TcpSslWatcher::waiting(int result) const
{
    int error = OpenSSL::SSL_get_error(ssl(), result);
    return error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE;
}

void TcpSslWatcher::onActive(int fd, int events)
{
    switch (_status)
    {
    case handshaking:
        return handshake();
    case reading:
        return read();
    case writing:
        return resumeWrite(events);
    case shuttingDown:
        return shutdown();
    case none:
        return TcpActiveWatcher::onActive(fd, events);
    }
}

void TcpSslWatcher::resumeWrite(int events)
{
    // A write that waits for the peer to send is resumed by its input.
    if ((_io.events() & EV_WRITE) == 0) return writeStep();
    // A write that waits for room must not stop the reading: a peer that
    // writes back while we write would otherwise wait for us forever.
    Event::Monitor monitor(this);
    if (events & EV_WRITE) writeStep();
    if (monitor.valid() && (events & EV_READ) && (_status == writing || _status == none)) read();
}

void TcpSslWatcher::handshake()
{
    int result = call([this] { return OpenSSL::SSL_do_handshake(ssl()); });
    if (result == 1)
    {
        // Writes inside onSecured go out directly.
        _status = none;
        _deadline = 0.0;
        Event::Monitor monitor(this);
        _socket->reportSecured();
        if (!monitor.valid()) return;
        if (_output.size() > 0) return writeStep();
        if (_closing) return startShutdown();
        return becomeIdle();
    }
    if (result == 0 || !reschedule(result, handshaking)) _socket->reportLost();
}

void TcpSslWatcher::onReadable(int fd)
{
    (void)fd;
    read();
}

void TcpSslWatcher::read()
{
    // Reading beside a waiting write leaves the write's status alone.
    const Status status = _status == writing ? writing : none;
    if (status == none) _deadline = 0.0;
    _status = status;
    // Each read event takes one record: the loop ends with its last byte.
    for (;;)
    {
        int room = std::max(OpenSSL::SSL_pending(ssl()), minimumReadRoom);
        char* data = _input.reserve(static_cast<size_t>(room));
        int result = call([&] { return OpenSSL::SSL_read(ssl(), data, room); });
        // Room that was not filled never counts as input, not even while
        // the read waits.
        _input.release(static_cast<size_t>(result > 0 ? room - result : room));
        if (result <= 0)
        {
            if (status == writing && waiting(result)) return;
            if (status == none && reschedule(result, none)) return;
            // Only the peer's close_notify ends the stream in order; a plain
            // end of TCP may be a truncation by an attacker.
            bool orderly = OpenSSL::SSL_get_shutdown(ssl()) & SSL_RECEIVED_SHUTDOWN;
            if (orderly) call([this] { return OpenSSL::SSL_shutdown(ssl()); });
            return _socket->reportLost(orderly);
        }
        Event::Monitor monitor(this);
        _socket->reportData(&_input);
        if (!monitor.valid() || _status != status || OpenSSL::SSL_pending(ssl()) < 1) return;
    }
}

bool TcpSslWatcher::quiet()
{
    if (_status != none || _output.size() > 0 || OpenSSL::SSL_pending(ssl()) > 0) return false;
    if (TcpActiveWatcher::quiet()) return true;
    // Application data here answers nothing: it goes with the connection,
    // which is then no fit for a request.
    char byte;
    int result = call([&] { return OpenSSL::SSL_read(ssl(), &byte, 1); });
    return result <= 0 && OpenSSL::SSL_get_error(ssl(), result) == SSL_ERROR_WANT_READ;
}

bool TcpSslWatcher::sendOutput()
{
    while (_output.size() > 0)
    {
        iovec run;
        _output.copyto(&run, 1, 0, 0);
        int length = _retryLength > 0 ? _retryLength
                                      : static_cast<int>(std::min(run.iov_len, maxWriteLength));
        int result = call([&] { return OpenSSL::SSL_write(ssl(), run.iov_base, length); });
        if (result > 0)
        {
            _output.shrink(static_cast<size_t>(result));
            _retryLength = 0;
            continue;
        }
        // OpenSSL wants the very same bytes and length again.
        _retryLength = length;
        if (reschedule(result, writing)) return true;
        _output.shrink(_output.size());
        _retryLength = 0;
        return false;
    }
    _status = none;
    return true;
}

void TcpSslWatcher::writeStep()
{
    if (!sendOutput()) return _socket->reportLost();
    if (_output.size() > 0) return;
    if (_closing) return startShutdown();
    becomeIdle();
}

void TcpSslWatcher::onWritable(int fd)
{
    (void)fd;
    if (_output.size() > 0) return writeStep();
    setInterest(false);
    if (!_writeRequested) return;
    _writeRequested = false;
    _socket->reportWritable();
}

void TcpSslWatcher::becomeIdle()
{
    _status = none;
    _deadline = 0.0;
    setInterest(_writeRequested);
}

void TcpSslWatcher::startShutdown()
{
    _status = shuttingDown;
    setInterest(true);
}

void TcpSslWatcher::shutdown()
{
    int result = call([this] { return OpenSSL::SSL_shutdown(ssl()); });
    if (result == 0 || result == 1) return _socket->reportClosed();
    if (!reschedule(result, shuttingDown)) _socket->reportLost();
}

size_t TcpSslWatcher::write(const char* data, size_t size, bool buffer)
{
    if (_closing) return 0;
    if (_output.size() > 0 || _status != none)
    {
        if (!buffer) return 0;
        return _output.append(data, size);
    }
    for (size_t done = 0; done < size;)
    {
        size_t piece = std::min(size - done, maxWriteLength);
        int result =
            call([&] { return OpenSSL::SSL_write(ssl(), data + done, static_cast<int>(piece)); });
        if (result > 0)
        {
            done += static_cast<size_t>(result);
            continue;
        }
        // The failed piece must be repeated as it was: it goes to the front
        // of the output, in one run.
        _output.append(data + done, size - done);
        _output.buffer(0, piece);
        _retryLength = static_cast<int>(piece);
        if (reschedule(result, writing)) return size;
        _output.shrink(_output.size());
        _retryLength = 0;
        return 0;
    }
    return size;
}

size_t TcpSslWatcher::write(const iovec* vectors, size_t count, bool buffer)
{
    size_t total = 0;
    for (size_t i = 0; i < count; ++i)
        total += vectors[i].iov_len;
    if (count < 2 || total > maxRecord) return TcpWatcher::write(vectors, count, buffer);
    // Runs that fit one record leave in one (a request head and its body):
    // each record costs a write, a packet and the peer's wake-up.
    char joined[maxRecord];
    size_t at = 0;
    for (size_t i = 0; i < count; ++i)
    {
        // An empty run may have no address at all.
        if (vectors[i].iov_len == 0) continue;
        memcpy(joined + at, vectors[i].iov_base, vectors[i].iov_len);
        at += vectors[i].iov_len;
    }
    return write(joined, total, buffer);
}

size_t TcpSslWatcher::sendQueued(size_t added)
{
    if (added == 0 || _status != none) return added;
    return sendOutput() ? added : 0;
}

size_t TcpSslWatcher::buffer(const char* data, size_t size)
{
    if (_closing || size == 0) return 0;
    return sendQueued(_output.append(data, size));
}

size_t TcpSslWatcher::buffer(const iovec* vectors, size_t count, size_t skip)
{
    if (_closing) return 0;
    return sendQueued(_output.append(vectors, count, skip));
}

bool TcpSslWatcher::wait()
{
    if (_closing) return false;
    _writeRequested = true;
    if (_status == none) setInterest(true);
    return true;
}

bool TcpSslWatcher::flush()
{
    if (_status != none && _status != writing) return false;
    return sendOutput() && _output.size() == 0;
}

bool TcpSslWatcher::close()
{
    if (_closing) return true;
    _closing = true;
    // Otherwise the shutdown follows the write or the handshake.
    if (_output.size() == 0 && _status == none) startShutdown();
    return true;
}

void TcpSslWatcher::onExpired()
{
    if (_deadline == 0.0) return restartTimer(_timeout);
    double current = now();
    if (current >= _deadline) return _socket->reportLost();
    restartTimer(_deadline - current);
}

} // namespace Network
} // namespace Kestrava
