#pragma once

#include "json/value.h"

#include <cstddef>
#include <string_view>

namespace Kestrava {
namespace JSON {

/**
 * Parses JSON text into a Value.
 *
 * Only RFC 8259 JSON parses: text that is not one complete JSON value,
 * optionally surrounded by white space (and led by a UTF-8 byte order mark),
 * gives the empty Value, as do extensions such as NaN, comments, trailing
 * commas, single quotes, leading zeros, raw control characters or invalid
 * UTF-8 in strings, and nesting deeper than 1000 levels. Nothing is thrown
 * but std::bad_alloc. A Tokenizer keeps no state between texts.
 */
class Tokenizer
{
public:
    Tokenizer();
    Tokenizer(const Tokenizer&) = delete;
    Tokenizer& operator=(const Tokenizer&) = delete;
    virtual ~Tokenizer();

    /// Parses exactly the bytes of text and never reads past them: the way
    /// for text that is not NUL-terminated, such as a message body. Empty
    /// text gives the empty value.
    Value parse(std::string_view text);

    /// Parses size bytes at data, or with size 0 the text up to its first
    /// NUL. Null data gives the empty value.
    Value parse(const char* data, size_t size);
};

} // namespace JSON
} // namespace Kestrava
