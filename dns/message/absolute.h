#pragma once

#include <string>

namespace DNS
{

/// The name with a trailing dot: asked as it is, never through the search
/// list (a key name, a reverse name, a candidate of a search).
inline std::string absolute(std::string name)
{
    if (name.empty() || name.back() != '.') name += '.';
    return name;
}

} // namespace DNS
