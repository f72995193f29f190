#include "json/detail/child.h"

#include "json/detail/membername.h"
#include "json/function.h"

namespace Kestrava {
namespace JSON {
namespace detail {

fjson_object* childOf(fjson_object* container, const Pointer::Part& part)
{
    switch (function::get_type(container))
    {
    case fjson_type_object:
    {
        fjson_object* member = nullptr;
        if (!namesMember(part.token())) return nullptr;
        function::object_get_ex(container, part.token().c_str(), &member);
        return member;
    }
    case fjson_type_array:
        return part.isEnd() ? nullptr : function::array_get_idx(container, part.index());
    default:
        return nullptr;
    }
}

} // namespace detail
} // namespace JSON
} // namespace Kestrava
