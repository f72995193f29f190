#pragma once

#include <cstddef>

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_method_st SSL_METHOD;

namespace AMQP::OpenSSL
{

/// Whether every entry point the TLS states need was found (only one of
/// the two client-method names is needed). Safe on any thread.
bool valid();

/// The first needed entry point that was not found, null when none.
const char* missing();

// The entry points, looked up by name on first use (see AMQP::openssl).
// Calling one that was not found throws std::runtime_error.
const SSL_METHOD* TLS_client_method();
SSL_CTX* SSL_CTX_new(const SSL_METHOD* method);
void SSL_CTX_free(SSL_CTX* context);
long SSL_CTX_ctrl(SSL_CTX* context, int command, long value, void* argument);
int SSL_CTX_set_default_verify_paths(SSL_CTX* context);
SSL* SSL_new(SSL_CTX* context);
void SSL_free(SSL* ssl);
int SSL_set_fd(SSL* ssl, int fd);
void SSL_set_connect_state(SSL* ssl);
long SSL_ctrl(SSL* ssl, int command, long value, void* argument);
int SSL_do_handshake(SSL* ssl);
int SSL_read(SSL* ssl, void* buffer, int size);
int SSL_write(SSL* ssl, const void* buffer, int size);
int SSL_pending(const SSL* ssl);
int SSL_get_error(const SSL* ssl, int result);
int SSL_shutdown(SSL* ssl);
void ERR_clear_error();
void ERR_print_errors_cb(int (*callback)(const char* text, size_t size, void* data), void* data);

// Looked up on demand like the others, but not needed by the TLS states, so
// valid() does not ask for them.
/// 0 when the library lacks it (OpenSSL 1.0).
int SSL_up_ref(SSL* ssl);
int SSL_get_shutdown(const SSL* ssl);
int SSL_use_certificate_file(SSL* ssl, const char* file, int type);

} // namespace AMQP::OpenSSL
