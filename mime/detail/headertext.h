#pragma once

#include <cstddef>
#include <string>

namespace Kestrava
{
namespace Mime
{
namespace detail
{

/// Header text with its RFC 2047 encoded words decoded into UTF-8 and runs
/// of white space made one blank. Throws std::runtime_error "Conversion not
/// possible" for a charset that iconv does not know.
std::string decodeWords(const char* data, size_t size);

/// The same, but a text whose words cannot be decoded stays as it is, so
/// that writing it never fails.
std::string decodeWordsOrKeep(const char* data, size_t size);

/// `text` in a quoted string: a backslash before backslashes, quotes and
/// white space other than the blank; line breaks made blanks.
std::string quote(const std::string& text);

} // namespace detail
} // namespace Mime
} // namespace Kestrava
