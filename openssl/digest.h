#pragma once

#include <openssl/evp.h>

#include <cstddef>
#include <memory>
#include <string>

namespace Kestrava
{
namespace OpenSSL
{

/// Message digests by name ("sha1", "sha256", "sha512" or any other that
/// OpenSSL knows).
class Digest
{
public:
    struct ContextRelease
    {
        void operator()(EVP_MD_CTX* context) const;
    };
    /// A digest context, freed with the object.
    using Context = std::unique_ptr<EVP_MD_CTX, ContextRelease>;

    /// The digest of that name, ignoring case. The three common ones are
    /// fetched once: OpenSSL 3 would fetch a digest found by name anew,
    /// behind a lock, for every context it starts. Throws
    /// Exception("unknown digest").
    static const EVP_MD* named(const char* name);

    /// The raw digest of `size` bytes at `data`. Throws Exception.
    static std::string of(const char* name, const char* data, size_t size);
};

} // namespace OpenSSL
} // namespace Kestrava
