#pragma once

#include <string>

namespace Kestrava {
namespace JSON {
namespace detail {

/// Whether a token can name a member: libfastjson keeps names as C strings,
/// so a token with a NUL would reach the shorter name before its NUL.
inline bool namesMember(const std::string& token)
{
    return token.find('\0') == std::string::npos;
}

} // namespace detail
} // namespace JSON
} // namespace Kestrava
