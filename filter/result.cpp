#include "filter/result.h"

#include "filter/detail/blocks.h"

#include <istream>

namespace Kestrava
{
namespace Filter
{

size_t Result::append(const std::string& text)
{
    return append(text.data(), text.size(), false);
}

size_t Result::append(std::istream& stream)
{
    return detail::readBlocks(stream, [this](const char* data, size_t size)
                              { return append(data, size, false); });
}

size_t Result::append(char byte)
{
    return append(&byte, 1, false);
}

size_t Result::flush()
{
    return 0;
}

} // namespace Filter
} // namespace Kestrava
