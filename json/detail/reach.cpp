#include "json/detail/reach.h"

#include "json/function.h"

#include <unordered_set>
#include <vector>

namespace Kestrava {
namespace JSON {
namespace detail {

namespace {

bool isContainer(fjson_object* object)
{
    const fjson_type type = function::get_type(object);
    return type == fjson_type_object || type == fjson_type_array;
}

} // namespace

bool reaches(fjson_object* value, fjson_object* target)
{
    if (value == target) return true;
    if (!isContainer(value) || !isContainer(target)) return false;
    // Iterative, and visiting each container once: copies share values, so
    // a document may be deep and reach one container along many paths.
    std::vector<fjson_object*> pending{value};
    std::unordered_set<fjson_object*> seen{value};
    auto visit = [&](fjson_object* child)
    {
        if (isContainer(child) && seen.insert(child).second) pending.push_back(child);
    };
    while (!pending.empty())
    {
        fjson_object* current = pending.back();
        pending.pop_back();
        if (current == target) return true;
        if (function::get_type(current) == fjson_type_array)
        {
            const int length = function::array_length(current);
            for (int index = 0; index < length; ++index)
                visit(function::array_get_idx(current, index));
            continue;
        }
        auto end = function::iter_end(current);
        for (auto iterator = function::iter_begin(current); !function::iter_equal(&iterator, &end);
             function::iter_next(&iterator))
            visit(function::iter_peek_value(&iterator));
    }
    return false;
}

} // namespace detail
} // namespace JSON
} // namespace Kestrava
