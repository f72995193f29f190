#include "mime/fields/contentid.h"

#include "filter/result.h"
#include "mime/detail/ctype.h"
#include "mime/detail/wrapped.h"

#include <cstring>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

ContentID::ContentID(const char* data, size_t size)
{
    size_t i = 0;
    while (i < size && detail::isSpace(data[i]))
        ++i;
    const void* close = i < size && data[i] == '<' ? std::memchr(data + i, '>', size - i) : nullptr;
    if (close == nullptr)
        throw std::runtime_error("Invalid content-id: " + std::string(data, size));
    _id.assign(data + i, static_cast<const char*>(close) - (data + i) + 1);
}

size_t ContentID::encode(const Capabilities&, Filter::Result* output, bool) const
{
    return output->append(_id);
}

size_t ContentID::encode(const Capabilities& capabilities, Filter::LineLength* output,
                         bool final) const
{
    return detail::wrapped(*this, capabilities, output, final);
}

} // namespace Mime
} // namespace Kestrava
