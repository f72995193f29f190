#pragma once

#include <cstddef>

namespace Kestrava
{
namespace Browse
{
namespace detail
{

/// Reads a Content-Length value: decimal digits, blanks or tabs around them
/// allowed, at most 2^62, or a comma-separated list of that same number.
/// False for anything else, so that a value that does not parse is never
/// taken as some other length.
bool parseContentLength(const char* value, size_t& length);

} // namespace detail
} // namespace Browse
} // namespace Kestrava
