#include "amqp/tcp/tcpconnected.h"

#include "amqp/monitor.h"
#include "amqp/tcp/tcpparent.h"
#include "amqp/tcphandler.h"

#include <cerrno>
#include <sys/socket.h>
#include <utility>

namespace AMQP
{

TcpConnected::TcpConnected(TcpExtState* previous, TcpOutBuffer&& buffered)
    : TcpExtState(previous), _out(std::move(buffered)), _in(4096)
{
    if (_out) _out.sendto(_socket);
    _parent->onIdle(this, _socket, _out ? readable | writable : readable);
}

bool TcpConnected::reportError(ssize_t result)
{
    if (result > 0 || (result < 0 && (errno == EINTR || errno == EAGAIN))) return false;
    if (!_closed) _parent->onError(this, "connection lost", true);
    return true;
}

TcpState* TcpConnected::process(const Monitor& monitor, int fd, int flags)
{
    if (fd != _socket) return this;
    if (flags & writable)
    {
        ssize_t result = _out.sendto(_socket);
        if (result < 0 && reportError(result)) return finalState(monitor);
        if (_out) return this;
        if (_closed) shutdown(_socket, SHUT_WR);
        _parent->onIdle(this, _socket, readable);
    }
    if (flags & readable)
    {
        ssize_t result = _in.receivefrom(_socket, _parent->expected());
        if (reportError(result)) return finalState(monitor);
        // Moved out while the engine and user code run, which may send or
        // even end the connection.
        TcpInBuffer buffer(std::move(_in));
        // What the engine answers (acks, mostly) goes out in one write
        // after all the frames of this read.
        _corked = true;
        uint64_t consumed = _parent->onReceived(this, buffer);
        if (!monitor.valid()) return nullptr;
        _corked = false;
        buffer.shrink(size_t(consumed));
        _in = std::move(buffer);
        if (_reallocate != 0) _in.reallocate(std::exchange(_reallocate, 0));
        flush();
    }
    return this;
}

void TcpConnected::flush()
{
    if (!_out) return;
    // A failure shows at the writable event that follows.
    _out.sendto(_socket);
    if (_out)
        _parent->onIdle(this, _socket, readable | writable);
    else if (_closed)
        shutdown(_socket, SHUT_WR);
}

void TcpConnected::send(const char* buffer, size_t size)
{
    if (_closed) return;
    // Acks of deliveries handled elsewhere in the same loop turn share the
    // write of the first when the handler flushes at the turn's end.
    if (_out || _corked || _parent->defer(this))
    {
        _out.add(buffer, size);
        return;
    }
    ssize_t result = ::send(_socket, buffer, size, MSG_NOSIGNAL);
    size_t written = result < 0 ? 0 : size_t(result);
    if (written == size) return;
    _out.add(buffer + written, size - written);
    _parent->onIdle(this, _socket, readable | writable);
}

void TcpConnected::close()
{
    if (_closed) return;
    _closed = true;
    if (_out) return;
    shutdown(_socket, SHUT_WR);
    _parent->onIdle(this, _socket, readable);
}

} // namespace AMQP
