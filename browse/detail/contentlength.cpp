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

/// Reads one decimal number at `text`, blanks before it allowed; the
/// position after it, or null.
const char* parseNumber(const char* text, size_t& number)
{
    constexpr size_t largest = size_t(1) << 62;
    text = skipBlanks(text);
    if (*text < '0' || *text > '9') return nullptr;
    size_t result = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
    {
        // Checked before multiplying: a product past 2^64 would wrap around
        // to a small length.
        auto digit = static_cast<size_t>(*text - '0');
        if (result > (largest - digit) / 10) return nullptr;
        result = result * 10 + digit;
    }
    number = result;
    return skipBlanks(text);
}

} // namespace

bool parseContentLength(const char* value, size_t& length)
{
    size_t first = 0;
    const char* text = parseNumber(value, first);
    // A list of one length repeated is that length (RFC 9110 section 8.6).
    while (text != nullptr && *text == ',')
    {
        size_t other = 0;
        text = parseNumber(text + 1, other);
        if (other != first) return false;
    }
    if (text == nullptr || *text != '\0') return false;
    length = first;
    return true;
}

} // namespace detail
} // namespace Browse
} // namespace Kestrava
