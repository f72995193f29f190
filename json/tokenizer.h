#pragma once

#include "json/value.h"

#include <cstddef>
#include <string_view>

struct fjson_tokener;

namespace Kestrava {
namespace JSON {

/**
 * Parses JSON text into a Value.
 *
 * Text that is not one complete JSON value, optionally surrounded by white
 * space, gives the empty Value; nothing is thrown but std::bad_alloc. A
 * Tokenizer may parse any number of texts, one at a time.
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

private:
    fjson_tokener* _tokener;
};

} // namespace JSON
} // namespace Kestrava
