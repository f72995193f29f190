#pragma once

#include "mime/authresults/authenticationresult.h"
#include "mime/fields/encodable.h"

#include <string>
#include <vector>

namespace Kestrava
{
namespace Dns
{
class Context;
class SpfStatus;
} // namespace Dns
namespace Mime
{

class ArcStatus;
class DkimSignature;
class DkimSignatures;
class DkimStatus;
class Object;

/// What a DMARC check found, as the caller ran it.
class DmarcStatus
{
public:
    virtual ~DmarcStatus() = default;
    const char* domain = nullptr;
    const char* result = nullptr;
    /// May be null.
    const char* message = nullptr;
};

/**
 * The value of an Authentication-Results field (RFC 8601): the service's
 * identifier, a version and one result per method; parsed, built from
 * verification outcomes and written back.
 */
class AuthenticationResults : public HeaderField
{
public:
    explicit AuthenticationResults(std::string authservId = "") : authservId(std::move(authservId))
    {
    }
    /// Throws std::runtime_error; `strict` refuses a bad result instead of
    /// skipping it.
    AuthenticationResults(const char* data, size_t size, bool strict);

    void add(const Dns::SpfStatus& status);
    void add(const DkimStatus& status);
    /// Verifies the signature with its key from DNS, then adds the outcome.
    void add(Dns::Context& context, const Object& message, const DkimSignature& signature);
    /// One result per signature, in order; the keys are looked up together.
    void add(Dns::Context& context, const Object& message, const DkimSignatures& signatures);
    void add(const DmarcStatus& status);
    /// "arc" with the chain's word; a temporary key failure is "temperror".
    void add(const ArcStatus& status);

    using HeaderField::encode;
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;
    size_t encode(const Capabilities& capabilities, Filter::LineLength* output,
                  bool final) const override;
    size_t encode(const Capabilities& capabilities, Filter::WordWrap* output,
                  bool final) const override;

    std::string authservId;
    int version = 1;
    std::vector<AuthenticationResult> results;
};

/// The Authentication-Results values of one message.
class AuthenticationResultsList
{
public:
    virtual ~AuthenticationResultsList() = default;
    std::vector<AuthenticationResults> values;
};

} // namespace Mime
} // namespace Kestrava
