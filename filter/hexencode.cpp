#include "filter/hexencode.h"

#include "filter/detail/escape.h"
#include "filter/detail/hexdigits.h"

#include <cctype>
#include <cstring>

namespace Kestrava
{
namespace Filter
{

bool HexEncode::allowed(char c) const
{
    return std::isprint(static_cast<unsigned char>(c)) &&
           (_extra == nullptr || std::strchr(_extra, c) == nullptr);
}

size_t HexEncode::process(const char* data, size_t size, bool final)
{
    detail::Output output(next, final);
    for (size_t i = 0; i < size; ++i)
    {
        if (allowed(data[i]))
            output.keep(data + i, 1);
        else
            detail::writeEscape(output, '%', data[i], detail::lowerHexDigits);
    }
    return output.finish();
}

} // namespace Filter
} // namespace Kestrava
