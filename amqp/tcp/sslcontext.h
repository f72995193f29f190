#pragma once

#include "amqp/tcp/openssl.h"

namespace AMQP
{

/// One OpenSSL context.
class SslContext
{
public:
    /// Throws std::runtime_error "failed to construct ssl context".
    explicit SslContext(const SSL_METHOD* method);
    ~SslContext() { OpenSSL::SSL_CTX_free(_context); }
    SslContext(const SslContext&) = delete;
    SslContext& operator=(const SslContext&) = delete;

    operator SSL_CTX*() const { return _context; }

private:
    SSL_CTX* _context;
};

} // namespace AMQP
