#pragma once

#include <cstddef>
#include <string>

namespace Kestrava
{
namespace Mime
{

/// The domain of an address as written: a dotted name, or a domain literal
/// with its brackets that holds a numeric IPv4 or IPv6 address.
class DomainPart
{
public:
    /// Throws std::runtime_error ("empty domain part", "invalid domain
    /// name", "invalid character in email address", "unfinished domain
    /// literal", "not an ipv6 address, but ipv6: prefix used", "not an ipv4
    /// address") or Dns::GaiException for a literal that is no address.
    DomainPart(const char* data, size_t size);
    virtual ~DomainPart() = default;

    const std::string& text() const { return _text; }
    size_t consumed() const { return _consumed; }
    bool literal() const { return !_text.empty() && _text[0] == '['; }

private:
    void parseName(const char* data, size_t size);
    void parseLiteral(const char* data, size_t size);

    std::string _text;
    size_t _consumed = 0;
};

} // namespace Mime
} // namespace Kestrava
