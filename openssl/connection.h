#pragma once

#include "dns/tlsarecord.h"

#include <openssl/ssl.h>

namespace Kestrava
{
namespace OpenSSL
{

class SslContext;

/**
 * Owns one OpenSSL TLS connection on a socket descriptor, in the connect
 * state under a client context and in the accept state under a server
 * context. The caller drives the handshake and the data transfer on ssl().
 * The context must outlive the connection; the descriptor stays the
 * caller's.
 */
class Connection
{
public:
    /**
     * A plain connection; a client sends `name` (which may be null) as the
     * server name. Throws std::runtime_error with OpenSSL's reason when the
     * connection cannot be made.
     */
    Connection(const SslContext& context, int fd, const char* name);

    /**
     * A client connection that authenticates the server by the DANE records
     * of usage 2 (trust anchor) and 3 (end entity) among `records`, verifies
     * `hostname` against the certificate and sends `basedomain` as the
     * server name. Without a usable record the peer is not verified at all.
     * The context must be a Mode::clientDane one. Throws std::runtime_error
     * with OpenSSL's reason, or "unable to add host " and the name.
     */
    Connection(const SslContext& context, int fd, const Dns::TlsaRecords& records, const char* hostname,
               const char* basedomain);

    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    virtual ~Connection();

    SSL* ssl() const { return _ssl; }

    /// Whether a TLSA record was accepted, so that the peer is verified.
    bool dane() const { return _dane; }

private:
    explicit Connection(SSL* ssl);

    SSL* _ssl;
    bool _dane = false;
};

} // namespace OpenSSL
} // namespace Kestrava
