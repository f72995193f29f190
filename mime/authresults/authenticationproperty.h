#pragma once

#include "mime/fields/encodable.h"

#include <string>

namespace Kestrava
{
namespace Mime
{

/// One property of an authentication result (RFC 8601 propspec):
/// ptype "." property "=" value.
class AuthenticationProperty : public Encodable
{
public:
    /// Parses ptype.property=value. Throws std::runtime_error.
    AuthenticationProperty(const char* data, size_t size);
    /// Takes the names; the value is parsed as a whole.
    AuthenticationProperty(std::string ptype, std::string property, std::string value);

    /// Reads a value: an address, "@" and a domain, a domain or a plain
    /// value; `whole`: the text is the whole value.
    void parse(const char* data, size_t size, bool whole);

    using Encodable::encode;
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;
    size_t encode(const Capabilities& capabilities, Filter::LineLength* output,
                  bool final) const override;
    size_t encode(const Capabilities& capabilities, Filter::WordWrap* output,
                  bool final) const override;

    std::string ptype;
    std::string property;
    std::string value;
    std::string localPart;
    std::string domain;
    /// The value as it is written; what a lookup returns.
    std::string text;
    size_t size = 0;
    /// 0 not set, 1 plain value, 2 local part "@" domain, 3 "@" domain,
    /// 4 domain alone.
    int kind = 0;
};

} // namespace Mime
} // namespace Kestrava
