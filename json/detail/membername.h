#pragma once

#include <string>

namespace Kestrava {
namespace JSON {
namespace detail {

/// The member name a token designates, as values hold it: libfastjson keeps
/// names as C strings, so U+0000 in a name is held as the bytes C0 80 (see
/// parser.h), which no valid UTF-8 name holds otherwise.
inline std::string memberName(const std::string& token)
{
    std::string name;
    name.reserve(token.size());
    for (char c : token)
    {
        if (c == '\0')
            name += "\xC0\x80";
        else
            name += c;
    }
    return name;
}

} // namespace detail
} // namespace JSON
} // namespace Kestrava
