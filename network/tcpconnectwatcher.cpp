#include "network/tcpconnectwatcher.h"

#include "event/loop.h"
#include "network/tcpsocket.h"

#include <cerrno>

namespace Kestrava
{
namespace Network
{

TcpConnectWatcher::TcpConnectWatcher(TcpSocket* socket, double timeout)
    : TcpWatcher(socket), _io(this, socket->fd(), EV_WRITE), _timer(this, timeout, 0.0)
{
    attach(socket->loop());
}

bool TcpConnectWatcher::detach()
{
    _io.stop();
    _timer.stop();
    return true;
}

bool TcpConnectWatcher::attach(Event::Loop* loop)
{
    _io.start(loop->loop());
    _timer.start(loop->loop());
    return true;
}

bool TcpConnectWatcher::close()
{
    if (_closing) return true;
    _closing = true;
    // The close is reported from the loop, like every other outcome.
    struct ev_loop* loop = _socket->loop()->loop();
    _timer.stop();
    _timer.set(0.0, 0.0);
    _timer.start(loop);
    return true;
}

size_t TcpConnectWatcher::write(const char* data, size_t size, bool buffer)
{
    (void)buffer;
    return _output.append(data, size);
}

void TcpConnectWatcher::onWritable(int fd)
{
    (void)fd;
    if (_closing) return _socket->reportClosed();
    int error = _socket->error();
    if (error == 0) return _socket->reportConnected();
    if (error == ETIMEDOUT) return _socket->reportTimeout();
    _socket->reportFailure();
}

void TcpConnectWatcher::onExpired()
{
    if (_closing) return _socket->reportClosed();
    if (_socket->connected()) return _socket->reportConnected();
    _socket->reportTimeout();
}

} // namespace Network
} // namespace Kestrava
