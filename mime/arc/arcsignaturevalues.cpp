// Reading the two signed ARC values.
#include "mime/arc/arcmessagesignature.h"
#include "mime/arc/arcsealsignature.h"
#include "mime/arc/arctaglist.h"
#include "mime/empty.h"
#include "mime/header.h"

#include <strings.h>

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

bool present(const std::map<std::string, std::string>& tags,
             std::initializer_list<const char*> names)
{
    for (const char* name : names)
    {
        auto found = tags.find(name);
        if (found == tags.end() || found->second.empty()) return false;
    }
    return true;
}

/// The first line of the name whose value reads to the same tags.
template <typename Signature>
const Value& originalOf(const Signature& signature, const Header& header)
{
    Key name = signature.key();
    for (const Line& line : header)
    {
        if (!(line.key() == name)) continue;
        try
        {
            Signature parsed(line.value().data, line.value().size, true);
            if (parsed.tags() == signature.tags()) return line.value();
        }
        catch (const std::exception&)
        {
            // A line that does not read is not this one.
        }
    }
    return empty_value();
}

} // namespace

ArcMessageSignature::ArcMessageSignature(const char* data, size_t size, bool check)
{
    detail::readArcTags(data, size, check, _order, _tags, _headers);
    _auid = "@" + domain();
    instance = detail::arcInstance(_tags);
    if (check && !complete()) throw std::runtime_error("header is incomplete");
}

bool ArcMessageSignature::complete() const
{
    if (!present(_tags, {"i", "a", "b", "bh", "d", "s"}) || _headers.names.empty()) return false;
    // A message signature never covers the seals (RFC 8617 4.1.2).
    for (const std::string& name : _headers.names)
        if (strcasecmp(name.c_str(), "arc-seal") == 0) return false;
    return true;
}

Key ArcMessageSignature::key() const
{
    return Key("ARC-Message-Signature");
}

const Value& ArcMessageSignature::original(const Header& header) const
{
    return originalOf(*this, header);
}

ArcSealSignature::ArcSealSignature(const char* data, size_t size, bool check)
{
    detail::readArcTags(data, size, check, _order, _tags, _headers);
    _auid = "@" + domain();
    instance = detail::arcInstance(_tags);
    if (check && !complete()) throw std::runtime_error("header is incomplete");
}

bool ArcSealSignature::complete() const
{
    // A seal signs the sets, never a list of fields (RFC 8617 4.1.3).
    return present(_tags, {"i", "a", "b", "cv", "d", "s"}) && _tags.count("h") == 0;
}

Key ArcSealSignature::key() const
{
    return Key("ARC-Seal");
}

const Value& ArcSealSignature::original(const Header& header) const
{
    return originalOf(*this, header);
}

} // namespace Mime
} // namespace Kestrava
