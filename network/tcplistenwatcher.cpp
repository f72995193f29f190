#include "network/tcplistenwatcher.h"

#include "event/loop.h"
#include "network/tcpsocket.h"

namespace Kestrava
{
namespace Network
{

TcpListenWatcher::TcpListenWatcher(TcpSocket* socket)
    : TcpWatcher(socket), _io(this, socket->fd(), EV_READ)
{
    attach(socket->loop());
}

bool TcpListenWatcher::detach()
{
    _io.stop();
    return true;
}

bool TcpListenWatcher::attach(Event::Loop* loop)
{
    _io.start(loop->loop());
    return true;
}

void TcpListenWatcher::onReadable(int fd)
{
    (void)fd;
    _socket->reportConnect();
}

} // namespace Network
} // namespace Kestrava
