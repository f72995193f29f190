#include "json/function.h"

#include "json/detail/serializer.h"

#include <libfastjson/json_object_private.h>

#include <climits>

namespace Kestrava {
namespace JSON {
namespace function {

namespace {

/// libfastjson formats a number into the space left in the caller's buffer
/// and then scans it as a NUL-terminated text, reading past the end when the
/// text did not fit (buffers below 28 bytes overflow); the longest number
/// text, 24 characters and ".0", fits easily in this.
constexpr size_t minimumDumpBuffer = 64;

bool isArray(fjson_object* object)
{
    return fjson_object_get_type(object) == fjson_type_array;
}

bool isObject(fjson_object* object)
{
    return fjson_object_get_type(object) == fjson_type_object;
}

} // namespace

bool available()
{
    return true;
}

fjson_tokener* tokener_new()
{
    return fjson_tokener_new();
}

fjson_object* tokener_parse_ex(fjson_tokener* tokener, const char* data, size_t size)
{
    if (size > INT_MAX) return nullptr;
    return fjson_tokener_parse_ex(tokener, data, static_cast<int>(size));
}

void tokener_reset(fjson_tokener* tokener)
{
    fjson_tokener_reset(tokener);
}

fjson_tokener_error tokener_get_error(fjson_tokener* tokener)
{
    return fjson_tokener_get_error(tokener);
}

const char* tokener_error_desc(fjson_tokener_error error)
{
    return fjson_tokener_error_desc(error);
}

size_t tokener_char_offset(fjson_tokener* tokener)
{
    return tokener->char_offset < 0 ? 0 : static_cast<size_t>(tokener->char_offset);
}

void tokener_free(fjson_tokener* tokener)
{
    fjson_tokener_free(tokener);
}

int put(fjson_object* object)
{
    return fjson_object_put(object);
}

fjson_object* get(fjson_object* object)
{
    return fjson_object_get(object);
}

fjson_type get_type(fjson_object* object)
{
    return fjson_object_get_type(object);
}

fjson_object* new_boolean(bool value)
{
    return fjson_object_new_boolean(value ? TRUE : FALSE);
}

fjson_object* new_int(int value)
{
    return fjson_object_new_int(value);
}

fjson_object* new_int64(int64_t value)
{
    return fjson_object_new_int64(value);
}

fjson_object* new_double(double value)
{
    return fjson_object_new_double(value);
}

fjson_object* new_double_s(double value, const char* text)
{
    return fjson_object_new_double_s(value, text);
}

fjson_object* new_string(const char* text)
{
    return fjson_object_new_string(text);
}

fjson_object* new_string_len(const char* data, size_t size)
{
    if (size > INT_MAX) return nullptr;
    return fjson_object_new_string_len(data, static_cast<int>(size));
}

int64_t get_int64(fjson_object* object)
{
    return fjson_object_get_int64(object);
}

double get_double(fjson_object* object)
{
    return fjson_object_get_double(object);
}

bool get_boolean(fjson_object* object)
{
    return fjson_object_get_boolean(object) != 0;
}

const char* get_string(fjson_object* object)
{
    return fjson_object_get_string(object);
}

const char* double_text(fjson_object* object)
{
    // libfastjson keeps the text of a parsed double but offers no accessor.
    if (fjson_object_get_type(object) != fjson_type_double) return nullptr;
    return object->o.c_double.source;
}

int get_string_len(fjson_object* object)
{
    return fjson_object_get_string_len(object);
}

fjson_object* new_object()
{
    return fjson_object_new_object();
}

int object_length(fjson_object* object)
{
    return isObject(object) ? fjson_object_object_length(object) : 0;
}

void object_add(fjson_object* object, const char* key, fjson_object* value)
{
    if (isObject(object))
        fjson_object_object_add(object, key, value);
    else
        fjson_object_put(value);
}

void object_del(fjson_object* object, const char* key)
{
    if (isObject(object)) fjson_object_object_del(object, key);
}

bool object_get_ex(fjson_object* object, const char* key, fjson_object** value)
{
    if (isObject(object)) return fjson_object_object_get_ex(object, key, value) != 0;
    if (value != nullptr) *value = nullptr;
    return false;
}

fjson_object_iterator iter_begin(fjson_object* object)
{
    return fjson_object_iter_begin(object);
}

fjson_object_iterator iter_end(fjson_object* object)
{
    return fjson_object_iter_end(object);
}

void iter_next(fjson_object_iterator* iterator)
{
    fjson_object_iter_next(iterator);
}

const char* iter_peek_name(const fjson_object_iterator* iterator)
{
    return fjson_object_iter_peek_name(iterator);
}

fjson_object* iter_peek_value(const fjson_object_iterator* iterator)
{
    return fjson_object_iter_peek_value(iterator);
}

bool iter_equal(const fjson_object_iterator* first, const fjson_object_iterator* second)
{
    return fjson_object_iter_equal(first, second) != 0;
}

fjson_object* new_array()
{
    return fjson_object_new_array();
}

int array_length(fjson_object* array)
{
    return isArray(array) ? fjson_object_array_length(array) : 0;
}

int array_put_idx(fjson_object* array, int index, fjson_object* value)
{
    // libfastjson writes in front of its storage for a negative index, and
    // past it for INT_MAX, where the length it grows to overflows.
    if (index >= 0 && index < INT_MAX && isArray(array) &&
        fjson_object_array_put_idx(array, index, value) == 0)
        return 0;
    fjson_object_put(value);
    return -1;
}

int array_add_idx(fjson_object* array, int index, fjson_object* value)
{
    // Debian's libfastjson has no insertion, so the elements from index on
    // are shifted up one by one, each step holding its own reference.
    const int length = array_length(array);
    if (index < 0 || index >= length) return array_put_idx(array, index, value);
    if (array_put_idx(array, length, get(array_get_idx(array, length - 1))) != 0)
    {
        fjson_object_put(value);
        return -1;
    }
    for (int position = length - 2; position >= index; --position)
        array_put_idx(array, position + 1, get(array_get_idx(array, position)));
    return array_put_idx(array, index, value);
}

fjson_object* array_get_idx(fjson_object* array, int index)
{
    // libfastjson returns whatever lies in front of its storage otherwise.
    if (index < 0 || index >= array_length(array)) return nullptr;
    return fjson_object_array_get_idx(array, index);
}

void array_del_idx(fjson_object* array, int index)
{
    if (index < 0 || index >= array_length(array)) return;
    fjson_object_array_del_idx(array, index);
}

const char* to_json_string(fjson_object* object)
{
    return fjson_object_to_json_string(object);
}

size_t dump(fjson_object* object, fjson_write_fn* writer, void* context)
{
    char buffer[1024];
    return detail::Serializer(true, buffer, sizeof buffer, writer, context).serialize(object);
}

size_t dump_buffered(fjson_object* object, int flags, char* buffer, size_t size,
                     fjson_write_fn* writer, void* context)
{
    // The two forms the system writes are ours: libfastjson's own writer
    // ends strings at their first NUL.
    if (flags == FJSON_TO_STRING_PLAIN || flags == FJSON_TO_STRING_SPACED)
    {
        const bool spaced = flags == FJSON_TO_STRING_SPACED;
        if (size > 0)
            return detail::Serializer(spaced, buffer, size, writer, context).serialize(object);
        char own[1024];
        return detail::Serializer(spaced, own, sizeof own, writer, context).serialize(object);
    }
    if (size >= minimumDumpBuffer)
        return fjson_object_dump_buffered(object, flags, buffer, size, writer, context);
    char own[minimumDumpBuffer];
    return fjson_object_dump_buffered(object, flags, own, sizeof own, writer, context);
}

size_t size(fjson_object* object)
{
    return fjson_object_size(object);
}

} // namespace function
} // namespace JSON
} // namespace Kestrava
