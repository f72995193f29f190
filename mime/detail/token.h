#pragma once

#include <cstddef>

namespace Kestrava
{
namespace Mime
{
namespace detail
{

/// Where a token that stopped at white space or a comment really ends: the
/// CFWS after it, then ";" or the end of the text. Returns the bytes up to
/// and including the ";", or 0 when something else follows.
size_t tokenEnd(const char* data, size_t size);

} // namespace detail
} // namespace Mime
} // namespace Kestrava
