// The operations of Value by pointer and by patch.

#include "json/value.h"

#include "json/detail/child.h"
#include "json/detail/membername.h"
#include "json/detail/reach.h"
#include "json/function.h"
#include "json/patch.h"
#include "json/pointer.h"

#include <stdexcept>

namespace Kestrava {
namespace JSON {

namespace {

using Part = Pointer::Part;

/// How a value is stored at the last token of a pointer.
enum class Placement
{
    insert,    ///< add: an index inserts, "-" appends
    overwrite, ///< replace: an index overwrites, "-" does nothing
    assign     ///< set: an index overwrites, "-" appends
};

/// The container that all tokens but the last designate, borrowed from the
/// document; null when one of them is missing (or holds null, in which
/// nothing can be edited either).
fjson_object* parentOf(const Value& document, const Pointer& pointer)
{
    const std::vector<Part>& parts = pointer.parts();
    fjson_object* current = document.object();
    for (size_t index = 0; index + 1 < parts.size() && current != nullptr; ++index)
        current = detail::childOf(current, parts[index]);
    return current;
}

/// The value at the pointer's place, shared, in one walk; false when there
/// is no such place.
bool find(const Value& document, const Pointer& pointer, Value& found)
{
    fjson_object* object;
    if (!detail::findPlace(document.object(), pointer, object)) return false;
    found = Value(function::get(object));
    return true;
}

/// Stores value itself at part in container; false when nothing was stored.
bool store(fjson_object* container, const Part& part, const Value& value, Placement placement)
{
    const fjson_type type = function::get_type(container);
    if (type != fjson_type_object && type != fjson_type_array) return false;
    // "-" is the end of an array; only set takes it as a member name.
    if (part.isEnd() && (placement == Placement::overwrite ||
                         (placement == Placement::insert && type == fjson_type_object)))
        return false;
    if (type == fjson_type_object)
    {
        function::object_add(container, detail::memberName(part.token()).c_str(),
                             function::get(value.object()));
        return true;
    }
    if (part.isEnd())
        return function::array_put_idx(container, function::array_length(container),
                                       function::get(value.object())) == 0;
    if (placement == Placement::insert)
        return function::array_add_idx(container, part.index(), function::get(value.object())) == 0;
    return function::array_put_idx(container, part.index(), function::get(value.object())) == 0;
}

/// Stores value at part in container, as a deep copy when container lies in
/// its own subtree; false when nothing was stored.
bool place(fjson_object* container, const Part& part, const Value& value, Placement placement)
{
    return store(container, part,
                 detail::reaches(value.object(), container) ? value.clone(true) : value, placement);
}

/// Whether a container can take the token as it is: an object takes any
/// token as a member name, an array "-" and indexes.
bool takes(fjson_object* container, const Part& part)
{
    switch (function::get_type(container))
    {
    case fjson_type_object:
        return true;
    case fjson_type_array:
        return part.isEnd() || part.index() >= 0;
    default:
        return false;
    }
}

/// A new empty container of the kind the token asks for.
Value containerFor(const Part& part)
{
    return Value(part.isEnd() || part.index() >= 0 ? function::new_array()
                                                   : function::new_object());
}

/// Whether walking to the parent of pointer's place steps on value.
bool passesThrough(const Value& document, const Pointer& pointer, const Value& value)
{
    if (value.object() == nullptr) return false;
    const std::vector<Part>& parts = pointer.parts();
    fjson_object* current = document.object();
    for (size_t index = 0; current != nullptr; ++index)
    {
        if (current == value.object()) return true;
        if (index + 1 >= parts.size()) break;
        current = detail::childOf(current, parts[index]);
    }
    return false;
}

} // namespace

Value::Value(const Value& document, const Pointer& pointer)
{
    if (!find(document, pointer, *this))
        throw std::runtime_error("Input document did not match with JSON pointer");
}

Value Value::get(const Pointer& pointer) const
{
    return pointer.apply(*this);
}

bool Value::test(const Pointer& pointer, const Value& value) const
{
    Value found;
    return find(*this, pointer, found) && found.equals(value);
}

void Value::set(const Pointer& pointer, const Value& value)
{
    const std::vector<Part>& parts = pointer.parts();
    if (parts.empty()) return;
    // A handle of its own: value may be this very handle, which may be
    // pointed at a new container below.
    const Value stored = value;
    if (!takes(_object, parts.front())) *this = containerFor(parts.front());
    Value container = *this;
    for (size_t index = 0; index + 1 < parts.size(); ++index)
    {
        Value child = parts[index].apply(container);
        if (!takes(child.object(), parts[index + 1]))
        {
            child = containerFor(parts[index + 1]);
            if (!place(container.object(), parts[index], child, Placement::assign)) return;
        }
        container = std::move(child);
    }
    place(container.object(), parts.back(), stored, Placement::assign);
}

void Value::add(const Pointer& pointer, const Value& value)
{
    if (pointer.parts().empty()) return;
    place(parentOf(*this, pointer), pointer.parts().back(), value, Placement::insert);
}

void Value::remove(const Pointer& pointer) const
{
    // "-" designates no element, so there is nothing to walk to.
    if (pointer.parts().empty() || pointer.parts().back().isEnd()) return;
    fjson_object* parent = parentOf(*this, pointer);
    const Part& last = pointer.parts().back();
    switch (function::get_type(parent))
    {
    case fjson_type_object:
        function::object_del(parent, detail::memberName(last.token()).c_str());
        return;
    case fjson_type_array:
        // A token that is no index gives -1, which removes nothing.
        function::array_del_idx(parent, last.index());
        return;
    default:
        return;
    }
}

void Value::replace(const Pointer& pointer, const Value& value)
{
    if (pointer.parts().empty()) return;
    place(parentOf(*this, pointer), pointer.parts().back(), value, Placement::overwrite);
}

void Value::copy(const Pointer& from, const Pointer& to)
{
    Value found;
    if (find(*this, from, found)) add(to, found);
}

void Value::move(const Pointer& from, const Pointer& to)
{
    // The whole document can only move into itself.
    Value moved;
    if (from.parts().empty() || to.parts().empty() || !find(*this, from, moved)) return;
    // Into its own subtree (RFC 6902 forbids it): the value would be lost.
    if (passesThrough(*this, to, moved)) return;
    remove(from);
    fjson_object* parent = parentOf(*this, to);
    // Checked here rather than copied by place: a move never stores a copy.
    if (!detail::reaches(moved.object(), parent) &&
        store(parent, to.parts().back(), moved, Placement::insert))
        return;
    // The target cannot take the value: put it back rather than lose it.
    place(parentOf(*this, from), from.parts().back(), moved, Placement::insert);
}

void Value::apply(const Patch& patch)
{
    using Operation = Patch::Operation;
    // Every test is judged on the document as it is, before any change.
    for (const Operation& operation : patch.operations())
        if (operation.code == Operation::test && !test(operation.path, operation.value)) return;
    for (const Operation& operation : patch.operations())
    {
        switch (operation.code)
        {
        case Operation::add:
            add(operation.path, operation.value);
            break;
        case Operation::remove:
            remove(operation.path);
            break;
        case Operation::replace:
            replace(operation.path, operation.value);
            break;
        case Operation::move:
            move(operation.from, operation.path);
            break;
        case Operation::copy:
            copy(operation.from, operation.path);
            break;
        default:
            break;
        }
    }
}

} // namespace JSON
} // namespace Kestrava
