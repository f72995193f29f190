#pragma once

#include <cstddef>

namespace Kestrava
{
namespace Browse
{
namespace detail
{

/// Reads a chunk-size line without its CR LF (RFC 9112 section 7.1): hex
/// digits, at most 15 significant ones so that the size plus its CR LF
/// cannot wrap, then optional blanks and ";" extensions, which are ignored.
/// False for anything else.
bool parseChunkSize(const char* line, size_t length, size_t& size);

} // namespace detail
} // namespace Browse
} // namespace Kestrava
