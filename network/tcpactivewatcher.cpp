#include "network/tcpactivewatcher.h"

#include "event/loop.h"
#include "network/tcpsocket.h"

#include <sys/socket.h>

#include <cerrno>

namespace Kestrava
{
namespace Network
{

namespace
{

/// What one read takes at most; more waiting makes the socket readable
/// again on the next loop turn.
constexpr size_t readSize = 16384;

/// The most vectors one gather write sends.
constexpr size_t maxWriteVectors = 10;

/// A gather write that reports a broken connection as EPIPE instead of
/// raising SIGPIPE, which would end the process.
ssize_t sendVectors(int fd, const iovec* vectors, size_t count)
{
    msghdr message{};
    message.msg_iov = const_cast<iovec*>(vectors);
    message.msg_iovlen = count;
    return ::sendmsg(fd, &message, MSG_NOSIGNAL);
}

bool transient(ssize_t result)
{
    return result < 0 && (errno == EAGAIN || errno == EINTR);
}

} // namespace

TcpActiveWatcher::TcpActiveWatcher(TcpSocket* socket, Buffer* pending)
    : TcpWatcher(socket), _io(this, socket->fd(), EV_READ)
{
    if (pending != nullptr) _output.swap(*pending);
    setInterest(_output.size() > 0);
    attach(socket->loop());
}

void TcpActiveWatcher::setInterest(bool writing)
{
    _io.set(_io.fd(), writing ? EV_READ | EV_WRITE : EV_READ);
}

void TcpActiveWatcher::reportEnd(bool orderly)
{
    if (_closing && _output.size() == 0) return _socket->reportClosed();
    _socket->reportLost(orderly);
}

bool TcpActiveWatcher::detach()
{
    _io.stop();
    _loop = nullptr;
    return true;
}

bool TcpActiveWatcher::attach(Event::Loop* loop)
{
    _loop = loop;
    _io.start(loop->loop());
    return true;
}

bool TcpActiveWatcher::close()
{
    if (_closing) return true;
    _closing = true;
    if (_output.size() == 0) ::shutdown(_io.fd(), SHUT_RDWR);
    return true;
}

bool TcpActiveWatcher::tlsStartable() const
{
    return !_closing && _output.size() == 0;
}

size_t TcpActiveWatcher::write(const char* data, size_t size, bool buffer)
{
    if (_closing) return 0;
    // Behind queued bytes a direct write would change the order.
    if (_output.size() > 0) return buffer ? TcpActiveWatcher::buffer(data, size) : 0;
    ssize_t result = ::send(_io.fd(), data, size, MSG_NOSIGNAL);
    if (result < 0 && !transient(result)) return 0;
    size_t written = result > 0 ? static_cast<size_t>(result) : 0;
    if (written == size || !buffer) return written;
    return written + TcpActiveWatcher::buffer(data + written, size - written);
}

size_t TcpActiveWatcher::write(const iovec* vectors, size_t count, bool buffer)
{
    if (_closing) return 0;
    if (_output.size() > 0) return buffer ? TcpActiveWatcher::buffer(vectors, count, 0) : 0;
    size_t total = 0;
    for (size_t i = 0; i < count; ++i)
        total += vectors[i].iov_len;
    ssize_t result = sendVectors(_io.fd(), vectors, count);
    if (result < 0 && !transient(result)) return 0;
    size_t written = result > 0 ? static_cast<size_t>(result) : 0;
    if (written == total || !buffer) return written;
    return written + TcpActiveWatcher::buffer(vectors, count, written);
}

size_t TcpActiveWatcher::buffer(const char* data, size_t size)
{
    if (_closing || size == 0) return 0;
    _output.append(data, size);
    setInterest(true);
    return size;
}

size_t TcpActiveWatcher::buffer(const iovec* vectors, size_t count, size_t skip)
{
    if (_closing) return 0;
    size_t added = _output.append(vectors, count, skip);
    if (added > 0) setInterest(true);
    return added;
}

bool TcpActiveWatcher::wait()
{
    if (_closing) return false;
    setInterest(true);
    return true;
}

void TcpActiveWatcher::report()
{
    if (_input.size() > 0) _socket->reportData(&_input);
}

bool TcpActiveWatcher::quiet()
{
    // Input already read is the handler's, who asks from inside its report.
    if (_closing || _output.size() > 0) return false;
    char byte;
    // A read would take what waits; a peek only asks. A close shows as 0,
    // a reset as an error, both at once.
    ssize_t result = ::recv(_io.fd(), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return result < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
}

bool TcpActiveWatcher::flush()
{
    while (_output.size() > 0)
    {
        iovec vectors[maxWriteVectors];
        size_t count = _output.copyto(vectors, maxWriteVectors, 0, 0);
        ssize_t written = sendVectors(_io.fd(), vectors, count);
        if (written > 0)
            _output.shrink(static_cast<size_t>(written));
        else if (written < 0 && errno == EINTR)
            continue;
        else
            return false;
    }
    return true;
}

void TcpActiveWatcher::onReadable(int fd)
{
    // Read on the stack, not into room reserved in the buffer: no system
    // call to ask how much is waiting and no block made for a short answer.
    char chunk[readSize];
    ssize_t result = ::read(fd, chunk, sizeof chunk);
    if (result > 0)
    {
        _filled = result == static_cast<ssize_t>(sizeof chunk);
        _input.append(chunk, static_cast<size_t>(result));
        return _socket->reportData(&_input);
    }
    if (transient(result)) return;
    // Nothing read: the peer has closed (the read gives 0) or reset (an error).
    reportEnd(result == 0);
}

void TcpActiveWatcher::onWritable(int fd)
{
    while (_output.size() > 0)
    {
        iovec vectors[maxWriteVectors];
        size_t count = _output.copyto(vectors, maxWriteVectors, 0, 0);
        ssize_t written = sendVectors(fd, vectors, count);
        if (written > 0)
        {
            _output.shrink(static_cast<size_t>(written));
            continue;
        }
        if (transient(written)) return;
        // The read side discovers the loss and reports it.
        setInterest(false);
        return;
    }
    setInterest(false);
    if (_closing)
        ::shutdown(fd, SHUT_RDWR);
    else
        _socket->reportWritable();
}

} // namespace Network
} // namespace Kestrava
