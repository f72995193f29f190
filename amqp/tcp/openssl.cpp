#include "amqp/tcp/openssl.h"

#include "amqp/openssl.h"
#include "amqp/tcp/function.h"

#include <atomic>

namespace AMQP
{

namespace
{

// Plain and process-wide: set before the first connection.
std::atomic<void*> libraryHandle{nullptr};

/// The entry point name of signature Signature, looked up once (thread-safe
/// through the function-local static) and kept, found or not.
#define AMQP_OPENSSL_ENTRY(name, Signature)                                                        \
    const Function<Signature>& name##Entry()                                                       \
    {                                                                                              \
        static const Function<Signature> function(libraryHandle.load(), #name);                    \
        return function;                                                                           \
    }

AMQP_OPENSSL_ENTRY(TLS_client_method, const SSL_METHOD*())
AMQP_OPENSSL_ENTRY(SSLv23_client_method, const SSL_METHOD*())
AMQP_OPENSSL_ENTRY(SSL_CTX_new, SSL_CTX*(const SSL_METHOD*))
AMQP_OPENSSL_ENTRY(SSL_CTX_free, void(SSL_CTX*))
AMQP_OPENSSL_ENTRY(SSL_CTX_ctrl, long(SSL_CTX*, int, long, void*))
AMQP_OPENSSL_ENTRY(SSL_CTX_set_default_verify_paths, int(SSL_CTX*))
AMQP_OPENSSL_ENTRY(SSL_new, SSL*(SSL_CTX*))
AMQP_OPENSSL_ENTRY(SSL_free, void(SSL*))
AMQP_OPENSSL_ENTRY(SSL_set_fd, int(SSL*, int))
AMQP_OPENSSL_ENTRY(SSL_set_connect_state, void(SSL*))
AMQP_OPENSSL_ENTRY(SSL_ctrl, long(SSL*, int, long, void*))
AMQP_OPENSSL_ENTRY(SSL_do_handshake, int(SSL*))
AMQP_OPENSSL_ENTRY(SSL_read, int(SSL*, void*, int))
AMQP_OPENSSL_ENTRY(SSL_write, int(SSL*, const void*, int))
AMQP_OPENSSL_ENTRY(SSL_pending, int(const SSL*))
AMQP_OPENSSL_ENTRY(SSL_get_error, int(const SSL*, int))
AMQP_OPENSSL_ENTRY(SSL_shutdown, int(SSL*))
AMQP_OPENSSL_ENTRY(ERR_clear_error, void())
AMQP_OPENSSL_ENTRY(ERR_print_errors_cb, void(int (*)(const char*, size_t, void*), void*))
AMQP_OPENSSL_ENTRY(SSL_up_ref, int(SSL*))
AMQP_OPENSSL_ENTRY(SSL_get_shutdown, int(const SSL*))
AMQP_OPENSSL_ENTRY(SSL_use_certificate_file, int(SSL*, const char*, int))

#undef AMQP_OPENSSL_ENTRY

/// The client method of the library: OpenSSL 1.0 has only the older name.
const Function<const SSL_METHOD*()>& clientMethod()
{
    return TLS_client_methodEntry() ? TLS_client_methodEntry() : SSLv23_client_methodEntry();
}

} // namespace

void* openssl(void* handle)
{
    libraryHandle.store(handle);
    return handle;
}

namespace OpenSSL
{

const char* missing()
{
    auto absent = [](const auto& entry) { return entry ? nullptr : entry.name(); };
    // SSL_CTX_new first: without it there is no OpenSSL at all.
    const char* names[] = {
        absent(SSL_CTX_newEntry()),
        clientMethod() ? nullptr : TLS_client_methodEntry().name(),
        absent(SSL_CTX_freeEntry()),
        absent(SSL_CTX_ctrlEntry()),
        absent(SSL_CTX_set_default_verify_pathsEntry()),
        absent(SSL_newEntry()),
        absent(SSL_freeEntry()),
        absent(SSL_set_fdEntry()),
        absent(SSL_set_connect_stateEntry()),
        absent(SSL_ctrlEntry()),
        absent(SSL_do_handshakeEntry()),
        absent(SSL_readEntry()),
        absent(SSL_writeEntry()),
        absent(SSL_pendingEntry()),
        absent(SSL_get_errorEntry()),
        absent(SSL_shutdownEntry()),
        absent(ERR_clear_errorEntry()),
        absent(ERR_print_errors_cbEntry()),
    };
    for (const char* name : names)
        if (name != nullptr) return name;
    return nullptr;
}

bool valid()
{
    return missing() == nullptr;
}

const SSL_METHOD* TLS_client_method()
{
    return clientMethod()();
}

SSL_CTX* SSL_CTX_new(const SSL_METHOD* method)
{
    return SSL_CTX_newEntry()(method);
}

void SSL_CTX_free(SSL_CTX* context)
{
    SSL_CTX_freeEntry()(context);
}

long SSL_CTX_ctrl(SSL_CTX* context, int command, long value, void* argument)
{
    return SSL_CTX_ctrlEntry()(context, command, value, argument);
}

int SSL_CTX_set_default_verify_paths(SSL_CTX* context)
{
    return SSL_CTX_set_default_verify_pathsEntry()(context);
}

SSL* SSL_new(SSL_CTX* context)
{
    return SSL_newEntry()(context);
}

void SSL_free(SSL* ssl)
{
    SSL_freeEntry()(ssl);
}

int SSL_set_fd(SSL* ssl, int fd)
{
    return SSL_set_fdEntry()(ssl, fd);
}

void SSL_set_connect_state(SSL* ssl)
{
    SSL_set_connect_stateEntry()(ssl);
}

long SSL_ctrl(SSL* ssl, int command, long value, void* argument)
{
    return SSL_ctrlEntry()(ssl, command, value, argument);
}

int SSL_do_handshake(SSL* ssl)
{
    return SSL_do_handshakeEntry()(ssl);
}

int SSL_read(SSL* ssl, void* buffer, int size)
{
    return SSL_readEntry()(ssl, buffer, size);
}

int SSL_write(SSL* ssl, const void* buffer, int size)
{
    return SSL_writeEntry()(ssl, buffer, size);
}

int SSL_pending(const SSL* ssl)
{
    return SSL_pendingEntry()(ssl);
}

int SSL_get_error(const SSL* ssl, int result)
{
    return SSL_get_errorEntry()(ssl, result);
}

int SSL_shutdown(SSL* ssl)
{
    return SSL_shutdownEntry()(ssl);
}

void ERR_clear_error()
{
    ERR_clear_errorEntry()();
}

void ERR_print_errors_cb(int (*callback)(const char*, size_t, void*), void* data)
{
    ERR_print_errors_cbEntry()(callback, data);
}

int SSL_up_ref(SSL* ssl)
{
    return SSL_up_refEntry() ? SSL_up_refEntry()(ssl) : 0;
}

int SSL_get_shutdown(const SSL* ssl)
{
    return SSL_get_shutdownEntry()(ssl);
}

int SSL_use_certificate_file(SSL* ssl, const char* file, int type)
{
    return SSL_use_certificate_fileEntry()(ssl, file, type);
}

} // namespace OpenSSL

} // namespace AMQP
