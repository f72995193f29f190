#pragma once

#include "mime/dkim/dkimsignature.h"

namespace Kestrava
{
namespace Mime
{

class ArcAuthenticationResults;
class ArcMessageSignature;
class ArcSignData;

/// The value of an ARC-Seal field (RFC 8617 4.1.3): a DKIM tag list over
/// the ARC sets up to its own instance.
class ArcSealSignature : public DkimSignature
{
public:
    ArcSealSignature() = default;
    /// Parses a value; `check` refuses bad tags and an incomplete value
    /// ("header is incomplete"). Throws std::runtime_error.
    ArcSealSignature(const char* data, size_t size, bool check);
    /// Creates and signs the seal of a new set. Throws std::runtime_error
    /// or OpenSSL::Exception.
    ArcSealSignature(const Capabilities& capabilities, const ArcSignData& data,
                     const ArcAuthenticationResults& results, const ArcMessageSignature& signature);

    /// i, a, b, cv, d and s have values and there is no h= (t= is
    /// recommended, not required).
    bool complete() const override;
    Key key() const override;
    const Value& original(const Header& header) const override;

    int instance = 0;
};

} // namespace Mime
} // namespace Kestrava
