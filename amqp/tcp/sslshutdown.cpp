#include "amqp/tcp/sslshutdown.h"

#include "amqp/monitor.h"
#include "amqp/tcp/tcpparent.h"
#include "amqp/tcphandler.h"

#include <utility>

namespace AMQP
{

SslShutdown::SslShutdown(TcpExtState* previous, SslWrapper&& ssl)
    : TcpExtState(previous), _ssl(std::move(ssl))
{
    _parent->onIdle(this, _socket, readable | writable);
}

TcpState* SslShutdown::process(const Monitor& monitor, int fd, int /*flags*/)
{
    if (fd != _socket) return this;
    OpenSSL::ERR_clear_error();
    int result;
    // 0: our close_notify went out, the peer's has not come yet.
    while ((result = OpenSSL::SSL_shutdown(_ssl)) == 0)
    {
    }
    if (result == 1) return finalState(monitor);
    // A failing shutdown ends the state without a word.
    return awaitSocket(OpenSSL::SSL_get_error(_ssl, result)) ? this : finalState(monitor);
}

} // namespace AMQP
