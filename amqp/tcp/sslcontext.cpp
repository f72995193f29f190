#include "amqp/tcp/sslcontext.h"

#include <openssl/ssl.h>
#include <stdexcept>

namespace AMQP
{

SslContext::SslContext(const SSL_METHOD* method) : _context(OpenSSL::SSL_CTX_new(method))
{
    if (_context == nullptr) throw std::runtime_error("failed to construct ssl context");
    // A write that must be repeated is repeated from the output buffer,
    // which may have moved meanwhile.
    OpenSSL::SSL_CTX_ctrl(_context, SSL_CTRL_MODE, SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER, nullptr);
}

} // namespace AMQP
