#pragma once

#include <openssl/ssl.h>

namespace Kestrava
{
namespace OpenSSL
{

/**
 * Owns one OpenSSL TLS context, configured for clients or for servers.
 *
 * Without OpenSSL in the process the context is empty (context() is null)
 * instead of failing, so that a program can still do without TLS; every
 * operation on an empty context does nothing and every connection made
 * from it fails. A context must outlive the connections made from it.
 */
class SslContext
{
public:
    enum class Mode
    {
        server = 0,
        /// A client context that can authenticate servers by DANE.
        clientDane = 1,
        client = 2,
    };

    /// Client contexts trust the system's default certificate authorities;
    /// every context refuses SSLv3.
    explicit SslContext(Mode mode);

    /// A client context (true) or a server context (false).
    explicit SslContext(bool client);

    /// A server context with a PEM certificate chain file and PEM private key
    /// file; whether they belong together tells check_private_key().
    SslContext(const char* chain, const char* key);

    /**
     * A server context limited to protocol versions `min` to `max`
     * (OpenSSL's numbers, such as TLS1_2_VERSION). Throws std::runtime_error
     * "invalid min version for context" or "invalid max version for
     * context" for a version OpenSSL refuses.
     */
    SslContext(int min, int max);

    SslContext(const SslContext&) = delete;
    SslContext& operator=(const SslContext&) = delete;

    virtual ~SslContext();

    /// Does nothing when the library has no security levels; never throws.
    void set_security_level(int level);

    bool check_private_key() const;

    /// These return whether OpenSSL accepted the setting.
    bool set_cipher_list(const char* list);
    bool set_ciphersuites(const char* suites);
    bool set_CAfile(const char* path);
    bool set_CAdir(const char* path);

    /// The owned OpenSSL context; null when the context is empty.
    SSL_CTX* context() const { return _context; }

    bool client() const { return _client; }

private:
    SslContext(SSL_CTX* context, bool client);

    void configure(Mode mode);

    SSL_CTX* _context;
    bool _client;
};

} // namespace OpenSSL
} // namespace Kestrava
