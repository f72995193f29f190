#pragma once

#include <cstddef>
#include <cstring>

namespace Kestrava
{
namespace Filter
{
namespace detail
{

/// Where header text is cut into words.
inline constexpr char wordBreaks[] = " \r\n\t";

/// Whether `c` is in the NUL-terminated list `set`; the NUL byte always is.
inline bool inSet(const char* set, char c)
{
    return std::strchr(set, c) != nullptr;
}

/// Whether `c` is a UTF-8 continuation byte, which starts no character.
inline bool isContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

/// The UTF-8 characters of `size` bytes: those that are no continuation.
inline size_t countCharacters(const char* data, size_t size)
{
    size_t count = 0;
    for (size_t i = 0; i < size; ++i)
        if (!isContinuation(data[i])) ++count;
    return count;
}

} // namespace detail
} // namespace Filter
} // namespace Kestrava
