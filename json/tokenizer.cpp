#include "json/tokenizer.h"

#include "json/detail/parser.h"

#include <cstring>

namespace Kestrava {
namespace JSON {

Tokenizer::Tokenizer() = default;

Tokenizer::~Tokenizer() = default;

Value Tokenizer::parse(std::string_view text)
{
    // Our own strict parser instead of libfastjson's tokener, which takes
    // NaN, comments, trailing commas and more, and clamps large integers.
    detail::Parser parser;
    fjson_object* result = nullptr;
    if (!parser.parse(text, result)) return Value();
    return Value(result);
}

Value Tokenizer::parse(const char* data, size_t size)
{
    if (data == nullptr) return Value();
    return parse(std::string_view(data, size == 0 ? std::strlen(data) : size));
}

} // namespace JSON
} // namespace Kestrava
