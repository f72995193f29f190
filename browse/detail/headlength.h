#pragma once

#include <cstddef>

namespace Kestrava
{
namespace Browse
{
namespace detail
{

/// The length of the head at `data` up to and including its empty line, or
/// 0 when the `size` bytes hold none. Lines may end in CR LF or in a bare
/// LF (RFC 9112 section 2.2). The search for the empty line's leading LF
/// starts at `from`.
size_t headLength(const char* data, size_t size, size_t from = 0);

} // namespace detail
} // namespace Browse
} // namespace Kestrava
