#include "json/tokenizer.h"

#include "json/function.h"

#include <cstring>
#include <new>

namespace Kestrava {
namespace JSON {

Tokenizer::Tokenizer() : _tokener(function::tokener_new())
{
    if (_tokener == nullptr) throw std::bad_alloc();
}

Tokenizer::~Tokenizer()
{
    function::tokener_free(_tokener);
}

Value Tokenizer::parse(std::string_view text)
{
    // A tokener that failed or finished keeps its state until reset.
    function::tokener_reset(_tokener);
    Value result(function::tokener_parse_ex(_tokener, text.data(), text.size()));
    switch (function::tokener_get_error(_tokener))
    {
    case fjson_tokener_success:
        // The tokener stops behind the first value and the white space after
        // it; anything left over makes the text invalid, not shorter.
        if (function::tokener_char_offset(_tokener) != text.size()) return Value();
        return result;
    case fjson_tokener_continue:
    {
        // The text ended inside a value; a blank completes a bare number.
        Value completed(function::tokener_parse_ex(_tokener, " ", 1));
        if (function::tokener_get_error(_tokener) != fjson_tokener_success) return Value();
        return completed;
    }
    default:
        return Value();
    }
}

Value Tokenizer::parse(const char* data, size_t size)
{
    if (data == nullptr) return Value();
    return parse(std::string_view(data, size == 0 ? std::strlen(data) : size));
}

} // namespace JSON
} // namespace Kestrava
