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
bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}
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

Rest::Rest(Cursor& cursor)
{
    auto newline = static_cast<const char*>(
        memchr(cursor.data + cursor.position, '\n', cursor.size - cursor.position));
    if (newline == nullptr) throw std::runtime_error("newline missing");
    cursor.position = static_cast<size_t>(newline - cursor.data) + 1;
}

} // namespace detail
} // namespace Browse
} // namespace Kestrava
