#pragma once

#include "openssl/asn1time.h"
#include "openssl/generalname.h"
#include "openssl/x509name.h"

#include <openssl/x509.h>

#include <memory>
#include <vector>

namespace Kestrava
{
namespace Dns
{
class Hostname;
}

namespace OpenSSL
{

class Connection;
class PrivateKey;

/**
 * A read-only view of one X.509 certificate: the peer certificate of a TLS
 * connection with the outcome of its chain verification, or the first
 * certificate of a PEM file. Used by one thread; the alternative names and
 * the key usage are read on first use.
 */
class Certificate
{
public:
    /**
     * The peer certificate of `connection` after its handshake. Throws
     * std::invalid_argument "nullptr is not allowed" without a connection,
     * a peer certificate, or any of its names and validity times, and
     * "invalid certificate time" for a malformed time.
     */
    explicit Certificate(const Connection* connection);

    /// The same for a TLS connection known by its OpenSSL handle (as a TLS
    /// socket gives it).
    explicit Certificate(SSL* ssl);

    /**
     * The first certificate of the PEM file at `path`, counted as verified.
     * Throws std::runtime_error "failed to load certificate" when the file
     * cannot be opened, and fails as above without a path or when the file
     * holds no certificate.
     */
    explicit Certificate(const char* path);

    Certificate(const Certificate&) = delete;
    Certificate& operator=(const Certificate&) = delete;

    virtual ~Certificate();

    X509* x509() const { return _x509.get(); }

    const X509Name& subject() const { return _subject; }
    const X509Name& issuer() const { return _issuer; }
    const Asn1Time& notBefore() const { return _notBefore; }
    const Asn1Time& notAfter() const { return _notAfter; }

    /// OpenSSL's verify result of the chain (X509_V_OK, 0, for a file).
    long verifyResult() const { return _verifyResult; }

    /**
     * The key usage bits by OpenSSL's KU_ numbers (digitalSignature 0x80,
     * ..., decipherOnly 0x8000); 1 without a key usage extension.
     */
    unsigned long keyUsage() const;

    /// The subject alternative names, last of the certificate first.
    const std::vector<GeneralName>& subjectAltnames() const;

    /// Whether every bit of `usage` is a key usage of the certificate and
    /// its chain verified; `usage` 0 asks the verification alone.
    bool secure(unsigned long usage) const;

    /**
     * Whether the certificate names `host`: its subject's common name or
     * one of its DNS alternative names, as a Pattern; for an IP literal
     * ("192.0.2.1", "[2001:db8::1]") one of its iPAddress alternative names.
     * A name that makes no valid pattern, or holds a NUL byte, is skipped.
     * Never throws.
     */
    bool isValidFor(const Dns::Hostname& host) const;

    /// Whether the certificate names `host` and is secure(usage).
    bool secure(const Dns::Hostname& host, unsigned long usage) const;

    /// Whether `key` is the private key of the certificate's public key.
    bool matches(const PrivateKey& key) const;

private:
    struct Release
    {
        void operator()(X509* x509) const;
    };
    using Reference = std::unique_ptr<X509, Release>;

    /// A certificate, never null, with the outcome of its verification.
    struct Source
    {
        Reference x509;
        long verifyResult;
    };

    static Source peerOf(const Connection* connection);
    static Source read(const char* path);

    explicit Certificate(Source source);

    /// The subject's common name; none when it has none.
    Asn1String commonName() const;

    Reference _x509;
    X509Name _subject;
    X509Name _issuer;
    Asn1Time _notBefore;
    Asn1Time _notAfter;
    mutable std::vector<GeneralName> _subjectAltnames;
    /// 0 until read.
    mutable unsigned long _keyUsage = 0;
    long _verifyResult;
};

} // namespace OpenSSL
} // namespace Kestrava
