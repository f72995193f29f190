#pragma once

#include <libfastjson/json.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace Kestrava {
namespace JSON {
namespace detail {

/**
 * Writes a libfastjson value as JSON text, in libfastjson's plain form (no
 * blanks) or its spaced form ("{ "a": 1 }"), byte for byte as libfastjson
 * writes them, but without its losses: strings are written to their full
 * length, U+0000 in them as \u0000 (in member names from the C0 80 that
 * holds it), lone surrogates held in their three-byte form as \u escapes
 * again, and doubles that no text came with as valid JSON numbers (a value
 * that is not finite as null).
 *
 * The text is collected in the caller's buffer, of any size above zero,
 * and handed to the writer whenever it is full and at the end.
 */
class Serializer
{
public:
    Serializer(bool spaced, char* buffer, size_t size, fjson_write_fn* writer, void* context);
    Serializer(const Serializer&) = delete;
    Serializer& operator=(const Serializer&) = delete;

    /// Writes the whole value and hands the rest of the text over; returns
    /// the total of the writer's results.
    size_t serialize(fjson_object* value);

private:
    void value(fjson_object* value);
    void object(fjson_object* object);
    void array(fjson_object* array);
    void string(const char* data, size_t size, bool name);
    void integer(int64_t value);
    void real(fjson_object* value);

    void put(const char* data, size_t size)
    {
        if (_size - _used >= size)
        {
            std::memcpy(_buffer + _used, data, size);
            _used += size;
        }
        else
            spill(data, size);
    }
    void put(char c)
    {
        if (_used == _size) flush();
        _buffer[_used++] = c;
    }
    void spill(const char* data, size_t size);
    void flush();

    const bool _spaced;
    char* const _buffer;
    const size_t _size;
    size_t _used = 0;
    fjson_write_fn* const _writer;
    void* const _context;
    size_t _total = 0;
};

} // namespace detail
} // namespace JSON
} // namespace Kestrava
