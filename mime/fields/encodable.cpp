#include "mime/fields/encodable.h"

#include "filter/string.h"
#include "filter/wordwrap.h"
#include "mime/capabilities.h"

namespace Kestrava
{
namespace Mime
{

size_t Encodable::encode(const Capabilities& capabilities, Filter::LineLength* output,
                         bool final) const
{
    return encode(capabilities, static_cast<Filter::Result*>(output), final);
}

size_t Encodable::encode(const Capabilities& capabilities, Filter::WordWrap* output,
                         bool final) const
{
    return encode(capabilities, static_cast<Filter::LineLength*>(output), final);
}

bool Encodable::encodable(const Capabilities&) const
{
    return true;
}

std::string Encodable::str(bool utf8) const
{
    std::string text;
    Filter::String sink(&text);
    encode(utf8 ? Capabilities::utf8() : Capabilities::standard(), &sink, true);
    return text;
}

Encodable::operator std::string() const
{
    return str(true);
}

} // namespace Mime
} // namespace Kestrava
