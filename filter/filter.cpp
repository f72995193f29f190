#include "filter/filter.h"

#include "filter/detail/blocks.h"

#include <cstring>
#include <istream>

namespace Kestrava
{
namespace Filter
{

size_t Filter::append(const char* data, size_t size, bool final)
{
    return process(data, size, final);
}

size_t Filter::flush()
{
    return next->flush();
}

size_t Filter::process(const char* data, size_t size, bool final)
{
    return next->append(data, size, final);
}

size_t Filter::process(const char* text, bool final)
{
    return process(text, std::strlen(text), final);
}

size_t Filter::process(const std::string& text)
{
    return process(text.data(), text.size(), false);
}

size_t Filter::process(std::istream& stream)
{
    return detail::readBlocks(stream, [this](const char* data, size_t size)
                              { return process(data, size, false); });
}

} // namespace Filter
} // namespace Kestrava
