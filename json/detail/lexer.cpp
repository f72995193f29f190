#include "json/detail/lexer.h"

namespace Kestrava {
namespace JSON {
namespace detail {

namespace {

bool isContinuation(unsigned char c)
{
    return (c & 0xc0) == 0x80;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

long hex4(const char*& position, const char* end)
{
    if (end - position < 4) return -1;
    long value = 0;
    for (int index = 0; index < 4; ++index)
    {
        const int digit = hexDigit(position[index]);
        if (digit < 0) return -1;
        value = value * 16 + digit;
    }
    position += 4;
    return value;
}

const char* digits(const char* position, const char* end)
{
    while (position != end && isDigit(*position))
        ++position;
    return position;
}

const char hexDigits[] = "0123456789abcdef";

/// The escapes of one letter after the backslash and what they stand for.
struct ShortEscape
{
    char letter;
    char character;
};
const ShortEscape shortEscapes[] = {{'"', '"'},  {'\\', '\\'}, {'/', '/'},  {'b', '\b'},
                                    {'f', '\f'}, {'n', '\n'},   {'r', '\r'}, {'t', '\t'}};

} // namespace

const char* skipByteOrderMark(const char* position, const char* end)
{
    if (end - position >= 3 && position[0] == '\xEF' && position[1] == '\xBB' &&
        position[2] == '\xBF')
        return position + 3;
    return position;
}

size_t sequenceLength(const char* position, const char* end)
{
    const auto byte = [position](ptrdiff_t offset)
    { return static_cast<unsigned char>(position[offset]); };
    const unsigned char lead = byte(0);
    size_t length;
    unsigned char low = 0x80, high = 0xbf;
    if (lead >= 0xc2 && lead <= 0xdf)
        length = 2;
    else if (lead >= 0xe0 && lead <= 0xef)
    {
        length = 3;
        if (lead == 0xe0) low = 0xa0;
        if (lead == 0xed) high = 0x9f;
    }
    else if (lead >= 0xf0 && lead <= 0xf4)
    {
        length = 4;
        if (lead == 0xf0) low = 0x90;
        if (lead == 0xf4) high = 0x8f;
    }
    else
        return 0;
    if (static_cast<size_t>(end - position) < length || byte(1) < low || byte(1) > high) return 0;
    for (size_t index = 2; index < length; ++index)
        if (!isContinuation(byte(static_cast<ptrdiff_t>(index)))) return 0;
    return length;
}

const char* numberEnd(const char* position, const char* end, const char*& integerEnd)
{
    if (position != end && *position == '-') ++position;
    if (position == end || !isDigit(*position)) return nullptr;
    // No leading zeros: a zero is the whole integer part.
    position = *position == '0' ? position + 1 : digits(position, end);
    integerEnd = position;
    if (position != end && *position == '.')
    {
        ++position;
        if (position == end || !isDigit(*position)) return nullptr;
        position = digits(position, end);
    }
    if (position != end && (*position == 'e' || *position == 'E'))
    {
        ++position;
        if (position != end && (*position == '+' || *position == '-')) ++position;
        if (position == end || !isDigit(*position)) return nullptr;
        position = digits(position, end);
    }
    return position;
}

long unicodeEscape(const char*& position, const char* end)
{
    const long unit = hex4(position, end);
    if (unit < 0xd800 || unit > 0xdbff || end - position < 6 || position[0] != '\\' ||
        position[1] != 'u')
        return unit;
    // A high surrogate followed by an escaped low one is one character.
    const char* second = position + 2;
    const long low = hex4(second, end);
    if (low < 0) return -1;
    if (low < 0xdc00 || low > 0xdfff) return unit;
    position = second;
    return 0x10000 + ((unit - 0xd800) << 10) + (low - 0xdc00);
}

char* encodeUtf8(unsigned codePoint, char* out)
{
    if (codePoint < 0x80)
        *out++ = static_cast<char>(codePoint);
    else if (codePoint < 0x800)
    {
        *out++ = static_cast<char>(0xc0 | (codePoint >> 6));
        *out++ = static_cast<char>(0x80 | (codePoint & 0x3f));
    }
    else if (codePoint < 0x10000)
    {
        *out++ = static_cast<char>(0xe0 | (codePoint >> 12));
        *out++ = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3f));
        *out++ = static_cast<char>(0x80 | (codePoint & 0x3f));
    }
    else
    {
        *out++ = static_cast<char>(0xf0 | (codePoint >> 18));
        *out++ = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3f));
        *out++ = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3f));
        *out++ = static_cast<char>(0x80 | (codePoint & 0x3f));
    }
    return out;
}

int escapedCharacter(char letter)
{
    for (const ShortEscape& escape : shortEscapes)
        if (escape.letter == letter) return escape.character;
    return -1;
}

size_t escapeOf(unsigned codePoint, char* out)
{
    out[0] = '\\';
    for (const ShortEscape& escape : shortEscapes)
    {
        if (static_cast<unsigned>(escape.character) != codePoint) continue;
        out[1] = escape.letter;
        return 2;
    }
    out[1] = 'u';
    for (int digit = 0; digit < 4; ++digit)
        out[5 - digit] = hexDigits[(codePoint >> (4 * digit)) & 0xf];
    return 6;
}

} // namespace detail
} // namespace JSON
} // namespace Kestrava
