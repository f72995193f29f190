#include "openssl/sslcontext.h"

#include "openssl/availability.h"
#include "openssl/functions.h"

#include <exception>
#include <stdexcept>

namespace Kestrava
{
namespace OpenSSL
{

namespace
{

SSL_CTX* newContext(bool client)
{
    return OpenSSL::SSL_CTX_new(client ? OpenSSL::TLS_client_method()
                                       : OpenSSL::TLS_server_method());
}

/// Writes that must be repeated may come from another buffer, as the
/// network layer's buffers move.
void acceptMovingWriteBuffer(SSL_CTX* context)
{
    OpenSSL::SSL_CTX_ctrl(context, SSL_CTRL_MODE, SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER, nullptr);
}

} // namespace

SslContext::SslContext(SSL_CTX* context, bool client) : _context(context), _client(client) {}

SslContext::SslContext(Mode mode) : SslContext(nullptr, mode != Mode::server)
{
    if (!valid()) return;
    _context = newContext(_client);
    configure(mode);
}

SslContext::SslContext(bool client) : SslContext(client ? Mode::client : Mode::server) {}

SslContext::SslContext(const char* chain, const char* key) : SslContext(Mode::server)
{
    if (_context == nullptr) return;
    OpenSSL::SSL_CTX_use_certificate_chain_file(_context, chain);
    OpenSSL::SSL_CTX_use_PrivateKey_file(_context, key, SSL_FILETYPE_PEM);
    acceptMovingWriteBuffer(_context);
}

// Delegating, so that the destructor frees the context when a version is
// refused.
SslContext::SslContext(int min, int max) : SslContext(newContext(false), false)
{
    if (OpenSSL::SSL_CTX_ctrl(_context, SSL_CTRL_SET_MIN_PROTO_VERSION, min, nullptr) == 0)
        throw std::runtime_error("invalid min version for context");
    if (OpenSSL::SSL_CTX_ctrl(_context, SSL_CTRL_SET_MAX_PROTO_VERSION, max, nullptr) == 0)
        throw std::runtime_error("invalid max version for context");
    acceptMovingWriteBuffer(_context);
}

SslContext::~SslContext()
{
    if (_context != nullptr) OpenSSL::SSL_CTX_free(_context);
}

void SslContext::configure(Mode mode)
{
    // OpenSSL dereferences the context it is given.
    if (_context == nullptr) return;
    OpenSSL::SSL_CTX_set_options(_context, static_cast<long>(SSL_OP_NO_SSLv3));
    acceptMovingWriteBuffer(_context);
    if (_client) OpenSSL::SSL_CTX_set_default_verify_paths(_context);
    if (mode == Mode::clientDane) OpenSSL::SSL_CTX_dane_enable(_context);
}

void SslContext::set_security_level(int level)
{
    if (_context == nullptr) return;
    try
    {
        OpenSSL::SSL_CTX_set_security_level(_context, level);
    }
    catch (const std::exception&)
    {
        // A level is a hardening the caller can do without.
    }
}

bool SslContext::check_private_key() const
{
    return _context != nullptr && OpenSSL::SSL_CTX_check_private_key(_context) != 0;
}

bool SslContext::set_cipher_list(const char* list)
{
    return _context != nullptr && OpenSSL::SSL_CTX_set_cipher_list(_context, list) == 1;
}

bool SslContext::set_ciphersuites(const char* suites)
{
    return _context != nullptr && OpenSSL::SSL_CTX_set_ciphersuites(_context, suites) == 1;
}

bool SslContext::set_CAfile(const char* path)
{
    return _context != nullptr &&
           OpenSSL::SSL_CTX_load_verify_locations(_context, path, nullptr) == 1;
}

bool SslContext::set_CAdir(const char* path)
{
    return _context != nullptr &&
           OpenSSL::SSL_CTX_load_verify_locations(_context, nullptr, path) == 1;
}

} // namespace OpenSSL
} // namespace Kestrava
