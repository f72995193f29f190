#include "mime/fields/mailboxes.h"

#include "filter/wordwrap.h"
#include "mime/capabilities.h"
#include "mime/detail/items.h"

namespace Kestrava
{
namespace Mime
{

Mailboxes::Mailboxes(const char* data, size_t size, bool strict)
    : _consumed(detail::parseItems(data, size, strict, ",", &_mailboxes))
{
    if (strict && _consumed < size)
        throw std::runtime_error("Did not manage to process everything");
}

size_t Mailboxes::encode(const Capabilities& capabilities, Filter::Result* output, bool final) const
{
    return detail::writeItems(_mailboxes, capabilities, output, final);
}

size_t Mailboxes::encode(const Capabilities& capabilities, Filter::LineLength* output,
                         bool final) const
{
    Filter::WordWrap wrap(output, capabilities.sizes);
    size_t written = detail::writeItems(_mailboxes, capabilities, &wrap, final);
    return written + wrap.flush();
}

bool Mailboxes::encodable(const Capabilities& capabilities) const
{
    return capabilities.allowsUtf8 || detail::encodableItems(_mailboxes, capabilities);
}

} // namespace Mime
} // namespace Kestrava
