#pragma once

#include <openssl/x509.h>

#include <string>

namespace Kestrava
{
namespace OpenSSL
{

/// A distinguished name of a certificate (its subject or issuer), which
/// belongs to the certificate and must not outlive it.
class X509Name
{
public:
    /// `name` must not be null.
    explicit X509Name(const X509_NAME* name) : _name(name) {}

    virtual ~X509Name() = default;

    const X509_NAME* name() const { return _name; }

    /// The name on one line in the form of RFC 2253 ("CN=leaf.test,O=..."),
    /// UTF-8 left as it is; empty when OpenSSL cannot render it.
    std::string text() const;

private:
    const X509_NAME* _name;
};

} // namespace OpenSSL
} // namespace Kestrava
