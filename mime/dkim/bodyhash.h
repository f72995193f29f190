#pragma once

#include <cstddef>
#include <string>

namespace Kestrava
{
namespace Mime
{

class Algorithm;
class CanonicalizedBody;

/// The Base64 digest of the canonical body, or of its first bytes.
class BodyHash
{
public:
    /// The whole body.
    static constexpr size_t whole = static_cast<size_t>(-1);
    /// Throws std::length_error for a length past the canonical body.
    BodyHash(const CanonicalizedBody& body, const Algorithm& algorithm, size_t length = whole);
    virtual ~BodyHash() = default;
    std::string text;
};

} // namespace Mime
} // namespace Kestrava
