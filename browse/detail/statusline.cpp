#include "browse/detail/statusline.h"

#include <climits>
#include <cstring>
#include <stdexcept>

namespace Kestrava
{
namespace Browse
{
namespace detail
{

namespace
{
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
} // namespace

Protocol::Protocol(Cursor& cursor)
{
    if (cursor.size - cursor.position < 5 || memcmp(cursor.data + cursor.position, "HTTP/", 5) != 0)
        throw std::runtime_error("Unrecognized HTTP header");
    cursor.position += 5;
}

Number::Number(Cursor& cursor)
{
    if (cursor.atEnd() || !isDigit(cursor.current())) throw std::runtime_error("number missing");
    while (!cursor.atEnd() && isDigit(cursor.current()))
    {
        int digit = cursor.current() - '0';
        _value = _value > (INT_MAX - digit) / 10 ? INT_MAX : _value * 10 + digit;
        ++cursor.position;
        ++_digits;
    }
}

Require::Require(Cursor& cursor, char expected)
{
    if (cursor.atEnd() || cursor.current() != expected)
        throw std::runtime_error("Unrecognized HTTP header");
    ++cursor.position;
}

Whitespace::Whitespace(Cursor& cursor)
{
    if (cursor.atEnd() || !isBlank(cursor.current()))
        throw std::runtime_error("whitespace missing");
    while (!cursor.atEnd() && isBlank(cursor.current()))
        ++cursor.position;
}

bool holdsStrayControl(const char* begin, const char* end)
{
    size_t size = static_cast<size_t>(end - begin);
    if (size > 0 && end[-1] == '\r') --size;
    return memchr(begin, '\0', size) != nullptr || memchr(begin, '\r', size) != nullptr;
}

Rest::Rest(Cursor& cursor)
{
    const char* start = cursor.data + cursor.position;
    auto newline = static_cast<const char*>(memchr(start, '\n', cursor.size - cursor.position));
    if (newline == nullptr) throw std::runtime_error("newline missing");
    if (holdsStrayControl(start, newline))
        throw std::runtime_error("invalid character in http header");
    cursor.position = static_cast<size_t>(newline - cursor.data) + 1;
}

} // namespace detail
} // namespace Browse
} // namespace Kestrava
