#include "json/value.h"

#include "json/detail/membername.h"
#include "json/function.h"
#include "json/processor.h"

#include <cstring>
#include <string>

namespace Kestrava {
namespace JSON {

namespace {

bool equalObjects(fjson_object* first, fjson_object* second);

bool equalArrays(fjson_object* first, fjson_object* second)
{
    const int length = function::array_length(first);
    if (length != function::array_length(second)) return false;
    for (int index = 0; index < length; ++index)
    {
        if (!equalObjects(function::array_get_idx(first, index),
                          function::array_get_idx(second, index)))
            return false;
    }
    return true;
}

bool equalMembers(fjson_object* first, fjson_object* second)
{
    if (function::object_length(first) != function::object_length(second)) return false;
    auto end = function::iter_end(first);
    for (auto iterator = function::iter_begin(first); !function::iter_equal(&iterator, &end);
         function::iter_next(&iterator))
    {
        fjson_object* other = nullptr;
        if (!function::object_get_ex(second, function::iter_peek_name(&iterator), &other))
            return false;
        if (!equalObjects(function::iter_peek_value(&iterator), other)) return false;
    }
    return true;
}

bool equalObjects(fjson_object* first, fjson_object* second)
{
    if (first == second) return true;
    const fjson_type type = function::get_type(first);
    if (type != function::get_type(second)) return false;
    switch (type)
    {
    case fjson_type_null:
        return true;
    case fjson_type_boolean:
        return function::get_boolean(first) == function::get_boolean(second);
    case fjson_type_double:
        return function::get_double(first) == function::get_double(second);
    case fjson_type_int:
        return function::get_int64(first) == function::get_int64(second);
    case fjson_type_string:
    {
        const int length = function::get_string_len(first);
        return length == function::get_string_len(second) &&
               std::memcmp(function::get_string(first), function::get_string(second),
                           static_cast<size_t>(length)) == 0;
    }
    case fjson_type_array:
        return equalArrays(first, second);
    case fjson_type_object:
        return equalMembers(first, second);
    default:
        return false;
    }
}

} // namespace

void Value::members(const std::function<void(const char* name, const Value& value)>& callback) const
{
    if (function::get_type(_object) != fjson_type_object) return;
    auto end = function::iter_end(_object);
    for (auto iterator = function::iter_begin(_object); !function::iter_equal(&iterator, &end);
         function::iter_next(&iterator))
    {
        const Value member(function::get(function::iter_peek_value(&iterator)));
        callback(function::iter_peek_name(&iterator), member);
    }
}

bool Value::equals(const Value& other) const
{
    return equalObjects(_object, other._object);
}

bool Value::contains(const Value& value) const
{
    switch (function::get_type(_object))
    {
    case fjson_type_object:
    {
        const fjson_type type = function::get_type(value._object);
        if (type == fjson_type_null) return false;
        const std::string name =
            type == fjson_type_string
                ? detail::memberName(
                      std::string(function::get_string(value._object),
                                  static_cast<size_t>(function::get_string_len(value._object))))
                : function::to_json_string(value._object);
        return function::object_get_ex(_object, name.c_str(), nullptr);
    }
    case fjson_type_array:
    {
        const int length = function::array_length(_object);
        for (int index = 0; index < length; ++index)
            if (equalObjects(function::array_get_idx(_object, index), value._object)) return true;
        return false;
    }
    default:
        return false;
    }
}

Value Value::clone(bool deep) const
{
    switch (function::get_type(_object))
    {
    case fjson_type_boolean:
        return Value(function::new_boolean(function::get_boolean(_object)));
    case fjson_type_double:
    {
        // A parsed double keeps its source text, which a double made from
        // the number alone would lose; one without (libfastjson's own text
        // of it is not always JSON) stays without.
        const char* text = function::double_text(_object);
        const double number = function::get_double(_object);
        return Value(text != nullptr ? function::new_double_s(number, text)
                                     : function::new_double(number));
    }
    case fjson_type_int:
        return Value(function::new_int64(function::get_int64(_object)));
    case fjson_type_string:
        return Value(function::new_string_len(function::get_string(_object),
                                              function::get_string_len(_object)));
    case fjson_type_object:
    {
        Value result(function::new_object());
        members(
            [&result, deep](const char* name, const Value& member)
            {
                const Value copy = deep ? member.clone(true) : member;
                function::object_add(result._object, name, function::get(copy._object));
            });
        return result;
    }
    case fjson_type_array:
    {
        Value result(function::new_array());
        const int length = function::array_length(_object);
        for (int index = 0; index < length; ++index)
        {
            const Value element(function::get(function::array_get_idx(_object, index)));
            const Value copy = deep ? element.clone(true) : element;
            function::array_put_idx(result._object, index, function::get(copy._object));
        }
        return result;
    }
    default:
        return Value();
    }
}

size_t Value::dumpto(Processor& processor) const
{
    return function::dump(_object, dump2processor, &processor);
}

size_t Value::dumpto(Processor& processor, char* buffer, size_t size) const
{
    return function::dump_buffered(_object, FJSON_TO_STRING_PLAIN, buffer, size, dump2processor,
                                   &processor);
}

} // namespace JSON
} // namespace Kestrava
