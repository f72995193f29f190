#pragma once

#include <libfastjson/json.h>

#include <cstddef>
#include <cstdint>

namespace Kestrava {
namespace JSON {

/**
 * The whole libfastjson dependency as one list of entry points.
 *
 * Every call of this library into libfastjson goes through a wrapper here,
 * named after the libfastjson function without its "fjson_" (and
 * "fjson_object_") prefix. The wrappers forward and return the result, with
 * these guards where libfastjson would crash or misbehave:
 * - container operations on a target of the wrong type, and array operations
 *   with a negative index, are refused; so is storing at index INT_MAX,
 *   which no array can have;
 * - a wrapper that is given a reference to store takes it over in every
 *   case, dropping it when the store is refused, so callers never leak;
 * - lengths above INT_MAX, which libfastjson's int parameters cannot carry,
 *   are refused.
 */
namespace function {

/// Always true: the library is linked, not loaded at run time.
bool available();

fjson_tokener* tokener_new();
/// Feeds at most INT_MAX bytes; a longer text is refused with a null result.
fjson_object* tokener_parse_ex(fjson_tokener* tokener, const char* data, size_t size);
void tokener_reset(fjson_tokener* tokener);
fjson_tokener_error tokener_get_error(fjson_tokener* tokener);
const char* tokener_error_desc(fjson_tokener_error error);
/// The bytes the last tokener_parse_ex consumed: the value and the white
/// space behind it. libfastjson has no accessor, only the public field.
size_t tokener_char_offset(fjson_tokener* tokener);
void tokener_free(fjson_tokener* tokener);

int put(fjson_object* object);
fjson_object* get(fjson_object* object);
fjson_type get_type(fjson_object* object);

fjson_object* new_boolean(bool value);
fjson_object* new_int(int value);
fjson_object* new_int64(int64_t value);
fjson_object* new_double(double value);
/// A double that serialises as the given text (libfastjson's own text of a
/// double built by new_double is not always valid JSON, e.g. "1e+20.0").
fjson_object* new_double_s(double value, const char* text);
fjson_object* new_string(const char* text);
fjson_object* new_string_len(const char* data, size_t size);

int64_t get_int64(fjson_object* object);
double get_double(fjson_object* object);
bool get_boolean(fjson_object* object);
const char* get_string(fjson_object* object);
int get_string_len(fjson_object* object);
/// The text a double was made with (parsed, or given to new_double_s),
/// null when it has none or is no double.
const char* double_text(fjson_object* object);

fjson_object* new_object();
int object_length(fjson_object* object);
/// Adds the member or replaces its value; takes over the reference to value.
void object_add(fjson_object* object, const char* key, fjson_object* value);
void object_del(fjson_object* object, const char* key);
bool object_get_ex(fjson_object* object, const char* key, fjson_object** value);

fjson_object_iterator iter_begin(fjson_object* object);
fjson_object_iterator iter_end(fjson_object* object);
void iter_next(fjson_object_iterator* iterator);
const char* iter_peek_name(const fjson_object_iterator* iterator);
fjson_object* iter_peek_value(const fjson_object_iterator* iterator);
bool iter_equal(const fjson_object_iterator* first, const fjson_object_iterator* second);

fjson_object* new_array();
int array_length(fjson_object* array);
/// Stores value at index, dropping the element there; past the end the
/// array grows, the gap filled with nulls. Takes over the reference to
/// value; -1 when refused.
int array_put_idx(fjson_object* array, int index, fjson_object* value);
/// Inserts value at index, moving the later elements up; at or past the end
/// it behaves as array_put_idx. Takes over the reference; -1 when refused.
int array_add_idx(fjson_object* array, int index, fjson_object* value);
/// The element at index (borrowed), null when there is none.
fjson_object* array_get_idx(fjson_object* array, int index);
/// Removes the element at index, moving the later elements down; an index
/// outside the array does nothing.
void array_del_idx(fjson_object* array, int index);

/// The spaced form, owned by the object, as libfastjson writes it: a string
/// ends at its first NUL there (dump() writes it whole).
const char* to_json_string(fjson_object* object);
/// The spaced form through writer, in pieces of up to 1024 bytes; written by
/// this library (see detail/serializer.h), as libfastjson writes it, but
/// with strings to their full length.
size_t dump(fjson_object* object, fjson_write_fn* writer, void* context);
/// Serialises through writer, collecting the text in the caller's buffer,
/// and returns the total of the writer's results. The plain and spaced forms
/// are written as dump() writes; for other flags libfastjson writes, and a
/// buffer too small for it to format a number in is replaced by our own.
size_t dump_buffered(fjson_object* object, int flags, char* buffer, size_t size,
                     fjson_write_fn* writer, void* context);
size_t size(fjson_object* object);

} // namespace function
} // namespace JSON
} // namespace Kestrava
