// Forwarding functions: TLS connections and their ciphers.

#include "openssl/functions.h"

#include "openssl/detail/binding.h"
#include "openssl/detail/library.h"

#include "dynamic/function.h"

namespace Kestrava
{
namespace OpenSSL
{

using Dynamic::Function;

SSL* SSL_new(SSL_CTX* context)
{
    static const Function<decltype(SSL_new)> function(library(), "SSL_new");
    return function(context);
}

void SSL_free(SSL* ssl)
{
    static const Function<decltype(SSL_free)> function(library(), "SSL_free");
    function(ssl);
}

int SSL_set_fd(SSL* ssl, int fd)
{
    static const Function<decltype(SSL_set_fd)> function(library(), "SSL_set_fd");
    return function(ssl, fd);
}

SSL_CTX* SSL_set_SSL_CTX(SSL* ssl, SSL_CTX* context)
{
    static const Function<decltype(SSL_set_SSL_CTX)> function(library(), "SSL_set_SSL_CTX");
    return function(ssl, context);
}

void SSL_set_connect_state(SSL* ssl)
{
    static const Function<decltype(SSL_set_connect_state)> function(library(),
                                                                    "SSL_set_connect_state");
    function(ssl);
}

void SSL_set_accept_state(SSL* ssl)
{
    static const Function<decltype(SSL_set_accept_state)> function(library(),
                                                                   "SSL_set_accept_state");
    function(ssl);
}

long SSL_ctrl(SSL* ssl, int command, long argument, void* pointer)
{
    static const Function<decltype(SSL_ctrl)> function(library(), "SSL_ctrl");
    return function(ssl, command, argument, pointer);
}

int SSL_do_handshake(SSL* ssl)
{
    static const Function<decltype(SSL_do_handshake)> function(library(), "SSL_do_handshake");
    return function(ssl);
}

int SSL_read(SSL* ssl, void* buffer, int size)
{
    static const Function<decltype(SSL_read)> function(library(), "SSL_read");
    return function(ssl, buffer, size);
}

int SSL_write(SSL* ssl, const void* buffer, int size)
{
    static const Function<decltype(SSL_write)> function(library(), "SSL_write");
    return function(ssl, buffer, size);
}

int SSL_pending(const SSL* ssl)
{
    static const Function<decltype(SSL_pending)> function(library(), "SSL_pending");
    return function(ssl);
}

int SSL_shutdown(SSL* ssl)
{
    static const Function<decltype(SSL_shutdown)> function(library(), "SSL_shutdown");
    return function(ssl);
}

int SSL_get_shutdown(const SSL* ssl)
{
    static const Function<decltype(SSL_get_shutdown)> function(library(), "SSL_get_shutdown");
    return function(ssl);
}

int SSL_get_error(const SSL* ssl, int result)
{
    static const Function<decltype(SSL_get_error)> function(library(), "SSL_get_error");
    return function(ssl, result);
}

int SSL_get_read_ahead(const SSL* ssl)
{
    static const Function<decltype(SSL_get_read_ahead)> function(library(), "SSL_get_read_ahead");
    return function(ssl);
}

void SSL_set_read_ahead(SSL* ssl, int yes)
{
    static const Function<decltype(SSL_set_read_ahead)> function(library(), "SSL_set_read_ahead");
    function(ssl, yes);
}

const char* SSL_get_servername(const SSL* ssl, int type)
{
    static const Function<decltype(SSL_get_servername)> function(library(), "SSL_get_servername");
    return function(ssl, type);
}

const char* SSL_get_cipher_list(const SSL* ssl, int priority)
{
    static const Function<decltype(SSL_get_cipher_list)> function(library(), "SSL_get_cipher_list");
    return function(ssl, priority);
}

const SSL_CIPHER* SSL_get_current_cipher(const SSL* ssl)
{
    static const Function<decltype(SSL_get_current_cipher)> function(library(),
                                                                     "SSL_get_current_cipher");
    return function(ssl);
}

long SSL_get_verify_result(const SSL* ssl)
{
    static const Function<decltype(SSL_get_verify_result)> function(library(),
                                                                    "SSL_get_verify_result");
    return function(ssl);
}

X509* SSL_get_peer_certificate(const SSL* ssl)
{
    static const auto function = bindRenamed<decltype(SSL_get_peer_certificate)>(
        "SSL_get_peer_certificate", "SSL_get1_peer_certificate");
    return function(ssl);
}

void SSL_set_verify(SSL* ssl, int mode, SSL_verify_cb callback)
{
    static const Function<decltype(SSL_set_verify)> function(library(), "SSL_set_verify");
    function(ssl, mode, callback);
}

void SSL_set_hostflags(SSL* ssl, unsigned int flags)
{
    static const Function<decltype(SSL_set_hostflags)> function(library(), "SSL_set_hostflags");
    function(ssl, flags);
}

int SSL_add1_host(SSL* ssl, const char* hostname)
{
    static const Function<decltype(SSL_add1_host)> function(library(), "SSL_add1_host");
    return function(ssl, hostname);
}

int SSL_dane_enable(SSL* ssl, const char* basedomain)
{
    static const Function<decltype(SSL_dane_enable)> function(library(), "SSL_dane_enable");
    return function(ssl, basedomain);
}

unsigned long SSL_dane_set_flags(SSL* ssl, unsigned long flags)
{
    static const Function<decltype(SSL_dane_set_flags)> function(library(), "SSL_dane_set_flags");
    return function(ssl, flags);
}

int SSL_dane_tlsa_add(SSL* ssl, uint8_t usage, uint8_t selector, uint8_t matchingType,
                      const unsigned char* data, size_t size)
{
    static const Function<decltype(SSL_dane_tlsa_add)> function(library(), "SSL_dane_tlsa_add");
    return function(ssl, usage, selector, matchingType, data, size);
}

const char* SSL_CIPHER_get_name(const SSL_CIPHER* cipher)
{
    static const Function<decltype(SSL_CIPHER_get_name)> function(library(), "SSL_CIPHER_get_name");
    return function(cipher);
}

const char* SSL_CIPHER_get_version(const SSL_CIPHER* cipher)
{
    static const Function<decltype(SSL_CIPHER_get_version)> function(library(),
                                                                     "SSL_CIPHER_get_version");
    return function(cipher);
}

int SSL_CIPHER_get_bits(const SSL_CIPHER* cipher, int* algorithmBits)
{
    static const Function<decltype(SSL_CIPHER_get_bits)> function(library(), "SSL_CIPHER_get_bits");
    return function(cipher, algorithmBits);
}

uint32_t SSL_CIPHER_get_id(const SSL_CIPHER* cipher)
{
    static const Function<decltype(SSL_CIPHER_get_id)> function(library(), "SSL_CIPHER_get_id");
    return function(cipher);
}

char* SSL_CIPHER_description(const SSL_CIPHER* cipher, char* buffer, int size)
{
    static const Function<decltype(SSL_CIPHER_description)> function(library(),
                                                                     "SSL_CIPHER_description");
    return function(cipher, buffer, size);
}

} // namespace OpenSSL
} // namespace Kestrava
