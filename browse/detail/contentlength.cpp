#include "browse/detail/contentlength.h"

namespace Kestrava
{
namespace Browse
{
namespace detail
{

namespace
{
const char* skipBlanks(const char* text)
{
    while (*text == ' ' || *text == '\t')
        ++text;
    return text;
}
} // namespace

bool parseContentLength(const char* value, size_t& length)
{
    constexpr size_t largest = size_t(1) << 62;
    const char* text = skipBlanks(value);
    if (*text < '0' || *text > '9') return false;
    size_t result = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
    {
        result = result * 10 + static_cast<size_t>(*text - '0');
        if (result > largest) return false;
    }
    if (*skipBlanks(text) != '\0') return false;
    length = result;
    return true;
}

} // namespace detail
} // namespace Browse
} // namespace Kestrava
