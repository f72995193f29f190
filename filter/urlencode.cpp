#include "filter/urlencode.h"

#include "filter/detail/escape.h"
#include "filter/detail/hexdigits.h"

#include <cctype>
#include <cstring>

namespace Kestrava
{
namespace Filter
{

size_t UrlEncode::process(const char* data, size_t size, bool final)
{
    detail::Output output(next, final);
    for (size_t i = 0; i < size; ++i)
    {
        char c = data[i];
        if (std::isalnum(static_cast<unsigned char>(c)) || (c != '\0' && std::strchr("-._~", c)))
            output.keep(data + i, 1);
        else if (c == ' ')
            output.literal("+", 1);
        else
            detail::writeEscape(output, '%', c, detail::lowerHexDigits);
    }
    return output.finish();
}

} // namespace Filter
} // namespace Kestrava
