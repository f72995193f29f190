#pragma once

#include "openssl/key.h"

#include <openssl/evp.h>

#include <cstddef>
#include <string>

namespace Kestrava
{
namespace OpenSSL
{

/**
 * A signature under a key and a named digest ("sha1", "sha256", ...): made
 * from data with a private key, or held for checking with a public key.
 */
class Signature
{
public:
    /// Signs `size` bytes at `data`. Throws Exception("unknown digest") for
    /// a digest OpenSSL does not know, Exception with OpenSSL's reason when
    /// signing fails.
    Signature(EVP_PKEY* key, const char* data, size_t size, const char* digest);

    /// Holds the signature bytes for verify(). Throws
    /// Exception("unknown digest") for a digest OpenSSL does not know.
    Signature(EVP_PKEY* key, const std::string& signature, const char* digest);

    virtual ~Signature() = default;

    /// The signature bytes (raw, not text).
    const char* data() const { return _signature.data(); }
    size_t size() const { return _signature.size(); }

    /// Whether the held signature signs `size` bytes at `data`; every
    /// failure counts as no match.
    bool verify(const char* data, size_t size) const;

private:
    Key _key;
    const EVP_MD* _digest;
    std::string _signature;
};

} // namespace OpenSSL
} // namespace Kestrava
