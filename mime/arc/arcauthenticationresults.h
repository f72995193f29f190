#pragma once

#include "mime/authresults/authenticationresults.h"

namespace Kestrava
{
namespace Mime
{

/// The "i=" instance ";" that starts an ARC-Authentication-Results value.
class ArcAuthenticationInstance
{
public:
    /// Throws std::runtime_error for a bad prefix.
    ArcAuthenticationInstance(const char* data, size_t size);
    explicit ArcAuthenticationInstance(int instance) : instance(instance) {}
    virtual ~ArcAuthenticationInstance() = default;
    /// The bytes up to and including the ";".
    size_t consumed = 0;
    int instance = 0;
};

/// The value of an ARC-Authentication-Results field (RFC 8617 4.1.1): the
/// instance, then an Authentication-Results value.
class ArcAuthenticationResults : public ArcAuthenticationInstance, public AuthenticationResults
{
public:
    ArcAuthenticationResults(const char* data, size_t size, bool check);
    ArcAuthenticationResults(int instance, AuthenticationResults results)
        : ArcAuthenticationInstance(instance), AuthenticationResults(std::move(results))
    {
    }

    using AuthenticationResults::encode;
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;
    size_t encode(const Capabilities& capabilities, Filter::WordWrap* output,
                  bool final) const override;
    size_t encode(const Capabilities& capabilities, Filter::LineLength* output,
                  bool final) const override;
};

} // namespace Mime
} // namespace Kestrava
