#pragma once

#include "mime/authresults/authenticationproperty.h"
#include "mime/fields/encodable.h"

#include <string>
#include <vector>

namespace Kestrava
{
namespace Mime
{

/// One result of an Authentication-Results value (RFC 8601 resinfo):
/// "; " method "=" result, an optional reason and properties.
class AuthenticationResult : public Encodable
{
public:
    /// Parses one result from its ";". Throws std::runtime_error; `strict`
    /// refuses a malformed property instead of skipping it.
    AuthenticationResult(const char* data, size_t size, bool strict);
    AuthenticationResult(const char* method, const char* result);

    /// The written value of the first property "ptype.property" (ASCII case
    /// ignored), or the shared empty string.
    const std::string& operator[](const char* name) const;

    using Encodable::encode;
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;
    size_t encode(const Capabilities& capabilities, Filter::LineLength* output,
                  bool final) const override;
    size_t encode(const Capabilities& capabilities, Filter::WordWrap* output,
                  bool final) const override;

    size_t size = 0;
    std::string method;
    int version = 1;
    std::string result;
    std::string reason;
    /// A note written as a comment after the result word; empty when none.
    /// Comments are not kept when a value is parsed.
    std::string comment;
    std::vector<AuthenticationProperty> properties;

private:
    /// Reads the properties from `position`; returns where they end.
    size_t parseProperties(const char* data, size_t size, size_t position, bool strict);
};

} // namespace Mime
} // namespace Kestrava
