#include "amqp/tcp/sslhandshake.h"

#include "amqp/monitor.h"
#include "amqp/tcp/sslconnected.h"
#include "amqp/tcp/sslerrorprinter.h"
#include "amqp/tcp/sslshutdown.h"
#include "amqp/tcp/tcpclosed.h"
#include "amqp/tcp/tcpparent.h"
#include "amqp/tcphandler.h"

#include <openssl/ssl.h>
#include <stdexcept>

namespace AMQP
{

SslHandshake::SslHandshake(TcpExtState* previous, const std::string& hostname,
                           TcpOutBuffer&& buffered)
    : TcpExtState(previous, -1), _context(OpenSSL::TLS_client_method()), _ssl(_context),
      _out(std::move(buffered))
{
    // The socket is taken only once nothing can throw: a failure leaves it
    // with the resolver, which reports it.
    OpenSSL::SSL_CTX_set_default_verify_paths(_context);
    OpenSSL::SSL_set_connect_state(_ssl);
    OpenSSL::SSL_ctrl(_ssl, SSL_CTRL_SET_TLSEXT_HOSTNAME, TLSEXT_NAMETYPE_host_name,
                      const_cast<char*>(hostname.c_str()));
    if (OpenSSL::SSL_set_fd(_ssl, previous->fileno()) != 1)
        throw std::runtime_error("failed to associate filedescriptor with ssl socket");
    if (!_parent->onSecuring(this, _ssl))
        throw std::runtime_error("failed to initialize SSL structure in user space");
    _socket = take(previous);
    _parent->onIdle(this, _socket, writable);
}

TcpState* SslHandshake::process(const Monitor& monitor, int fd, int /*flags*/)
{
    if (fd != _socket) return this;
    OpenSSL::ERR_clear_error();
    int result = OpenSSL::SSL_do_handshake(_ssl);
    if (result == 1)
    {
        bool accepted = _parent->onSecured(this, _ssl);
        if (!monitor.valid()) return nullptr;
        if (accepted) return new SslConnected(this, std::move(_ssl), std::move(_out));
        _parent->onError(this, "TLS connection has been rejected", true);
        if (!monitor.valid()) return nullptr;
        return new SslShutdown(this, std::move(_ssl));
    }
    int error = OpenSSL::SSL_get_error(_ssl, result);
    if (awaitSocket(error)) return this;
    _parent->onError(this, SslErrorPrinter(error).data(), true);
    return finalState(monitor);
}

} // namespace AMQP
