#include "json/pointer.h"

#include "json/detail/child.h"
#include "json/function.h"

#include <algorithm>
#include <cstring>

namespace Kestrava {
namespace JSON {

Pointer::Pointer(const char* text, size_t size)
{
    const char* end = text + size;
    _parts.reserve(static_cast<size_t>(std::count(text, end, '/')));
    while (text != end)
    {
        // A token runs from its "/" up to the next one.
        const char* next = static_cast<const char*>(std::memchr(text + 1, '/', end - text - 1));
        if (next == nullptr) next = end;
        _parts.emplace_back(text, next - text);
        text = next;
    }
}

Value Pointer::apply(const Value& document) const
{
    fjson_object* found;
    detail::findPlace(document.object(), *this, found);
    return Value(function::get(found));
}

bool Pointer::match(const Value& document) const
{
    fjson_object* found;
    return detail::findPlace(document.object(), *this, found);
}

} // namespace JSON
} // namespace Kestrava
