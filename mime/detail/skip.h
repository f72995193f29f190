#pragma once

#include <cstddef>
#include <string>

namespace Kestrava
{
namespace Mime
{
namespace detail
{

/// Whether `c` is one of the characters of `list` (never the NUL byte).
bool inList(const char* list, char c);

/// The bytes of a bad list item up to the next of the `delimiters`: quoted
/// strings and comments are stepped over whole, and one that is unfinished
/// takes the rest of the text.
size_t skipItem(const char* data, size_t size, const char* delimiters);

/// The comments in a stretch of folding white space, each after a blank,
/// as they came; an unfinished one is left out.
std::string commentsIn(const char* data, size_t size);

} // namespace detail
} // namespace Mime
} // namespace Kestrava
