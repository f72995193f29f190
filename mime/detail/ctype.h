#pragma once

#include <cstring>
#include <string>

namespace Kestrava
{
namespace Mime
{
namespace detail
{

// Character classes of the POSIX locale, whatever the process's locale:
// bytes from 0x80 belong to none.

inline bool isAscii(char c)
{
    return static_cast<unsigned char>(c) < 0x80;
}

/// Whether any byte is from 0x80, whatever label the text carries.
inline bool hasEightBit(const char* data, size_t size)
{
    for (size_t i = 0; i < size; ++i)
        if (!isAscii(data[i])) return true;
    return false;
}

inline bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

inline bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

inline bool isControl(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
}

inline bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

inline bool isAlnum(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

/// The RFC 2045 specials, which end tokens of parameters.
inline bool isTspecial(char c)
{
    return c != '\0' && std::strchr("()<>@,;:\\\"/[]?=", c) != nullptr;
}

/// The text with its ASCII capitals made small, for names compared
/// ignoring case.
inline std::string lowered(const std::string& text)
{
    std::string result = text;
    for (char& c : result)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return result;
}

} // namespace detail
} // namespace Mime
} // namespace Kestrava
