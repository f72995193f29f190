#include "mime/detail/wrapped.h"

#include "filter/wordwrap.h"
#include "mime/capabilities.h"
#include "mime/fields/encodable.h"

namespace Kestrava
{
namespace Mime
{
namespace detail
{

size_t wrapped(const Encodable& element, const Capabilities& capabilities,
               Filter::LineLength* output, bool final)
{
    Filter::WordWrap wrap(output, capabilities.sizes);
    size_t written = element.encode(capabilities, static_cast<Filter::Result*>(&wrap), final);
    return written + wrap.flush();
}

} // namespace detail
} // namespace Mime
} // namespace Kestrava
