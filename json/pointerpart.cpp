#include "json/pointer.h"

#include "json/detail/child.h"
#include "json/function.h"

#include <climits>
#include <stdexcept>

namespace Kestrava {
namespace JSON {

namespace {

/// Turns every escape into its character, decoding each escape as written
/// exactly once: the search goes on behind the replacement, so "~01" gives
/// "~1" and never "/".
void decode(std::string& token, const char* escape, char replacement)
{
    for (size_t position = token.find(escape); position != std::string::npos;
         position = token.find(escape, position + 1))
        token.replace(position, 2, 1, replacement);
}

} // namespace

Pointer::Part::Part(const char* text, size_t size)
{
    if (size == 0 || text[0] != '/') throw std::runtime_error("Invalid JSON pointer");
    _token.assign(text + 1, size - 1);
    if (_token.find('~') == std::string::npos) return;
    // "~1" first: decoding "~0" first would turn "~01" into "/".
    decode(_token, "~1", '/');
    decode(_token, "~0", '~');
}

int Pointer::Part::index() const
{
    if (_token.empty()) return 0;
    if (_token[0] == '0') return _token.size() == 1 ? 0 : -1;
    long value = 0;
    for (char digit : _token)
    {
        if (digit < '0' || digit > '9') return -1;
        value = value * 10 + (digit - '0');
        // Beyond int it is no index: it must never wrap to a small one.
        if (value > INT_MAX) return -1;
    }
    return static_cast<int>(value);
}

Value Pointer::Part::apply(const Value& value) const
{
    return Value(function::get(detail::childOf(value.object(), *this)));
}

bool Pointer::Part::match(const Value& value) const
{
    fjson_object* child;
    return detail::findChild(value.object(), *this, child);
}

} // namespace JSON
} // namespace Kestrava
