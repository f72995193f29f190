#pragma once

#include <array>

namespace Kestrava
{
namespace Filter
{
namespace detail
{

/// The values of the hex digits by byte; 64 for any other byte.
extern const std::array<unsigned char, 256> hexValues;

/// The value of a hex digit ("0"-"9", "a"-"f", "A"-"F"); 64 for any other
/// byte.
inline unsigned char hexValue(char c)
{
    return hexValues[static_cast<unsigned char>(c)];
}

/// Whether `c` is a hex digit.
inline bool isHexDigit(char c)
{
    return hexValue(c) < 16;
}

/// The digits of escapes in URLs and parameters.
extern const char lowerHexDigits[17];
/// The digits of MIME escapes.
extern const char upperHexDigits[17];

} // namespace detail
} // namespace Filter
} // namespace Kestrava
