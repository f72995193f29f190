// Forwarding functions: TLS contexts.

#include "openssl/functions.h"

#include "openssl/detail/binding.h"
#include "openssl/detail/legacylayout.h"
#include "openssl/detail/library.h"

#include "dynamic/function.h"
#include "dynamic/optionalfunction.h"

namespace Kestrava
{
namespace OpenSSL
{

using Dynamic::Function;
using Dynamic::OptionalFunction;

namespace
{

/// OpenSSL 1.0's control command behind its SSL_CTX_set_options macro.
constexpr int setOptionsCommand = 32;

} // namespace

const SSL_METHOD* TLS_client_method()
{
    static const Function<decltype(TLS_client_method)> function(
        library(), apiName("SSLv23_client_method", "TLS_client_method"));
    return function();
}

const SSL_METHOD* TLS_server_method()
{
    static const Function<decltype(TLS_server_method)> function(
        library(), apiName("SSLv23_server_method", "TLS_server_method"));
    return function();
}

SSL_CTX* SSL_CTX_new(const SSL_METHOD* method)
{
    static const Function<decltype(SSL_CTX_new)> function(library(), "SSL_CTX_new");
    return function(method);
}

void SSL_CTX_free(SSL_CTX* context)
{
    static const Function<decltype(SSL_CTX_free)> function(library(), "SSL_CTX_free");
    function(context);
}

long SSL_CTX_ctrl(SSL_CTX* context, int command, long argument, void* pointer)
{
    static const Function<decltype(SSL_CTX_ctrl)> function(library(), "SSL_CTX_ctrl");
    return function(context, command, argument, pointer);
}

long SSL_CTX_callback_ctrl(SSL_CTX* context, int command, void (*callback)())
{
    static const Function<decltype(SSL_CTX_callback_ctrl)> function(library(),
                                                                    "SSL_CTX_callback_ctrl");
    return function(context, command, callback);
}

long SSL_CTX_set_options(SSL_CTX* context, long options)
{
    // 1.0 has only a macro over the control call.
    if (library().legacy())
        return OpenSSL::SSL_CTX_ctrl(context, setOptionsCommand, options, nullptr);
    static const Function<decltype(SSL_CTX_set_options)> function(library(), "SSL_CTX_set_options");
    return function(context, options);
}

int SSL_CTX_set_security_level(SSL_CTX* context, int level)
{
    static const OptionalFunction<void(SSL_CTX*, int)> function(library(),
                                                                "SSL_CTX_set_security_level");
    if (!function) return -1;
    function(context, level);
    return 0;
}

int SSL_CTX_set_cipher_list(SSL_CTX* context, const char* list)
{
    static const Function<decltype(SSL_CTX_set_cipher_list)> function(library(),
                                                                      "SSL_CTX_set_cipher_list");
    return function(context, list);
}

int SSL_CTX_set_ciphersuites(SSL_CTX* context, const char* suites)
{
    static const OptionalFunction<decltype(SSL_CTX_set_ciphersuites)> function(
        library(), "SSL_CTX_set_ciphersuites");
    return function ? function(context, suites) : 0;
}

STACK_OF(SSL_CIPHER) * SSL_CTX_get_ciphers(const SSL_CTX* context)
{
    static const OptionalFunction<decltype(SSL_CTX_get_ciphers)> function(library(),
                                                                          "SSL_CTX_get_ciphers");
    if (function) return function(context);
    if (context == nullptr) return nullptr;
    return reinterpret_cast<const Legacy::Context*>(context)->_ciphers;
}

int SSL_CTX_use_certificate(SSL_CTX* context, X509* certificate)
{
    static const Function<decltype(SSL_CTX_use_certificate)> function(library(),
                                                                      "SSL_CTX_use_certificate");
    return function(context, certificate);
}

int SSL_CTX_use_certificate_file(SSL_CTX* context, const char* file, int type)
{
    static const Function<decltype(SSL_CTX_use_certificate_file)> function(
        library(), "SSL_CTX_use_certificate_file");
    return function(context, file, type);
}

int SSL_CTX_use_certificate_chain_file(SSL_CTX* context, const char* file)
{
    static const Function<decltype(SSL_CTX_use_certificate_chain_file)> function(
        library(), "SSL_CTX_use_certificate_chain_file");
    return function(context, file);
}

int SSL_CTX_use_PrivateKey_file(SSL_CTX* context, const char* file, int type)
{
    static const Function<decltype(SSL_CTX_use_PrivateKey_file)> function(
        library(), "SSL_CTX_use_PrivateKey_file");
    return function(context, file, type);
}

int SSL_CTX_check_private_key(const SSL_CTX* context)
{
    static const Function<decltype(SSL_CTX_check_private_key)> function(
        library(), "SSL_CTX_check_private_key");
    return function(context);
}

int SSL_CTX_set_default_verify_paths(SSL_CTX* context)
{
    static const Function<decltype(SSL_CTX_set_default_verify_paths)> function(
        library(), "SSL_CTX_set_default_verify_paths");
    return function(context);
}

int SSL_CTX_load_verify_locations(SSL_CTX* context, const char* file, const char* directory)
{
    static const Function<decltype(SSL_CTX_load_verify_locations)> function(
        library(), "SSL_CTX_load_verify_locations");
    return function(context, file, directory);
}

int SSL_CTX_dane_enable(SSL_CTX* context)
{
    static const Function<decltype(SSL_CTX_dane_enable)> function(library(), "SSL_CTX_dane_enable");
    return function(context);
}

} // namespace OpenSSL
} // namespace Kestrava
