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
        // Checked before multiplying: a product past 2^64 would wrap around
        // to a small length.
        auto digit = static_cast<size_t>(*text - '0');
        if (result > (largest - digit) / 10) return false;
        result = result * 10 + digit;
    }
    if (*skipBlanks(text) != '\0') return false;
    length = result;
    return true;
}

} // namespace detail
} // namespace Browse
} // namespace Kestrava
