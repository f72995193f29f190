#include "mime/fields/targets.h"

#include "filter/wordwrap.h"
#include "mime/capabilities.h"
#include "mime/detail/items.h"

namespace Kestrava
{
namespace Mime
{

Targets::Targets(const char* data, size_t size, bool strict)
    : _consumed(detail::parseItems(data, size, strict, ",", &_targets))
{
    if (strict && _consumed < size)
        throw std::runtime_error("Did not manage to process everything");
    // A strict list takes every member of its groups too.
    for (const auto& target : _targets)
        if (strict && target->skipped()) throw std::runtime_error("group member is no mailbox");
}

bool Targets::contains(const Address& address) const
{
    for (const auto& target : _targets)
        if (target->contains(address)) return true;
    return false;
}

size_t Targets::encode(const Capabilities& capabilities, Filter::Result* output, bool final) const
{
    return detail::writeItems(_targets, capabilities, output, final);
}

size_t Targets::encode(const Capabilities& capabilities, Filter::LineLength* output,
                       bool final) const
{
    Filter::WordWrap wrap(output, capabilities.sizes);
    size_t written = detail::writeItems(_targets, capabilities, &wrap, final);
    return written + wrap.flush();
}

bool Targets::encodable(const Capabilities& capabilities) const
{
    return capabilities.allowsUtf8 || detail::encodableItems(_targets, capabilities);
}

} // namespace Mime
} // namespace Kestrava
