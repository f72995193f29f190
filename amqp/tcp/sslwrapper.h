#pragma once

#include "amqp/tcp/openssl.h"

#include <stdexcept>
#include <utility>

namespace AMQP
{

/// Owns one SSL object; move-only.
class SslWrapper
{
public:
    /// Throws std::runtime_error "failed to construct ssl structure".
    explicit SslWrapper(SSL_CTX* context) : _ssl(OpenSSL::SSL_new(context))
    {
        if (_ssl == nullptr) throw std::runtime_error("failed to construct ssl structure");
    }
    SslWrapper(SslWrapper&& other) noexcept : _ssl(std::exchange(other._ssl, nullptr)) {}
    SslWrapper& operator=(SslWrapper&&) = delete;
    SslWrapper(const SslWrapper&) = delete;
    SslWrapper& operator=(const SslWrapper&) = delete;
    ~SslWrapper()
    {
        if (_ssl != nullptr) OpenSSL::SSL_free(_ssl);
    }

    operator SSL*() const { return _ssl; }

private:
    SSL* _ssl;
};

} // namespace AMQP
