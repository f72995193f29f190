#include "amqp/tcp/tcpextstate.h"

#include "amqp/monitor.h"
#include "amqp/tcp/tcpclosed.h"
#include "amqp/tcp/tcpparent.h"
#include "amqp/tcphandler.h"

#include <openssl/ssl.h>

#include <unistd.h>
#include <utility>

namespace AMQP
{

TcpExtState::TcpExtState(TcpExtState* previous)
    : TcpState(previous), _socket(std::exchange(previous->_socket, -1))
{
}

TcpExtState::~TcpExtState()
{
    cleanup();
}

void TcpExtState::cleanup()
{
    if (_socket < 0) return;
    _parent->onIdle(this, _socket, 0);
    ::close(std::exchange(_socket, -1));
    _parent->onLost(this);
}

int TcpExtState::take(TcpExtState* previous)
{
    return std::exchange(previous->_socket, -1);
}

bool TcpExtState::awaitSocket(int sslError)
{
    if (sslError == SSL_ERROR_WANT_READ)
        _parent->onIdle(this, _socket, readable);
    else if (sslError == SSL_ERROR_WANT_WRITE)
        _parent->onIdle(this, _socket, readable | writable);
    else
        return false;
    return true;
}

TcpState* TcpExtState::finalState(const Monitor& monitor)
{
    if (!monitor.valid()) return nullptr;
    return new TcpClosed(this);
}

} // namespace AMQP
