#pragma once

#include <cstddef>
#include <string>

namespace Kestrava
{
namespace Mime
{

class DkimKey;

/// The Base64 signature of the data, cut into pieces joined by a blank: the
/// first up to `first` characters, the others up to 74.
class PartialSignature
{
public:
    /// Throws when the algorithm is unknown, the key is one that verifiers
    /// refuse, or OpenSSL cannot sign.
    PartialSignature(const DkimKey& key, const std::string& data, size_t first);
    virtual ~PartialSignature() = default;
    std::string text;
};

} // namespace Mime
} // namespace Kestrava
