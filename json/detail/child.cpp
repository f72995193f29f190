#include "json/detail/child.h"

#include "json/detail/membername.h"
#include "json/function.h"

namespace Kestrava {
namespace JSON {
namespace detail {

bool findChild(fjson_object* container, const Pointer::Part& part, fjson_object*& child)
{
    child = nullptr;
    switch (function::get_type(container))
    {
    case fjson_type_object:
        return function::object_get_ex(container, memberName(part.token()).c_str(), &child);
    case fjson_type_array:
    {
        if (part.isEnd()) return false;
        const int index = part.index();
        child = function::array_get_idx(container, index);
        // Only a null child needs the bounds: inside them it holds JSON null.
        return child != nullptr || (index >= 0 && index < function::array_length(container));
    }
    default:
        return false;
    }
}

fjson_object* childOf(fjson_object* container, const Pointer::Part& part)
{
    fjson_object* child;
    findChild(container, part, child);
    return child;
}

bool findPlace(fjson_object* document, const Pointer& pointer, fjson_object*& found)
{
    found = document;
    for (const Pointer::Part& part : pointer.parts())
        if (!findChild(found, part, found)) return false;
    return true;
}

} // namespace detail
} // namespace JSON
} // namespace Kestrava
