#pragma once

#include <cstddef>
#include <string>

namespace Kestrava
{
namespace Mime
{

/// The signing algorithm of an a= tag: rsa-sha1, rsa-sha256 or rsa-sha512.
class Algorithm
{
public:
    enum Code : int
    {
        rsaSha1 = 0,
        rsaSha256 = 1,
        rsaSha512 = 2,
    };
    /// Ignores case. Throws std::runtime_error "digest algorithm not set"
    /// for a null or empty name, "unsupported digest algorithm" otherwise.
    explicit Algorithm(const char* name);
    explicit Algorithm(int value) : value(value) {}
    virtual ~Algorithm() = default;
    /// "sha1", "sha256" or "sha512".
    const char* digest() const;
    /// The raw digest of the bytes. Throws std::runtime_error "invalid body
    /// hash canonicalization algorithm" for a value outside the three.
    std::string hash(const char* data, size_t size) const;
    int value;
};

} // namespace Mime
} // namespace Kestrava
