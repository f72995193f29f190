#include "json/detail/serializer.h"

#include "json/detail/lexer.h"
#include "json/function.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace Kestrava {
namespace JSON {
namespace detail {

namespace {

/// The bytes a string cannot hold as they are in JSON text, as libfastjson
/// escapes them (it writes "/" as "\/" too), and the two lead bytes of what
/// the parser holds in a form of its own (C0 80, ED A0 to ED BF).
struct Escapes
{
    bool special[256] = {};

    Escapes()
    {
        for (int c = 0; c < 0x20; ++c)
            special[c] = true;
        for (int c : {int('"'), int('\\'), int('/'), 0xc0, 0xed})
            special[c] = true;
    }
};

const Escapes escapes;

} // namespace

Serializer::Serializer(bool spaced, char* buffer, size_t size, fjson_write_fn* writer,
                       void* context)
    : _spaced(spaced), _buffer(buffer), _size(size), _writer(writer), _context(context)
{
}

size_t Serializer::serialize(fjson_object* object)
{
    value(object);
    flush();
    return _total;
}

void Serializer::flush()
{
    if (_used == 0) return;
    _total += _writer(_context, _buffer, _used);
    _used = 0;
}

void Serializer::spill(const char* data, size_t size)
{
    while (size > 0)
    {
        if (_used == _size) flush();
        const size_t part = std::min(size, _size - _used);
        std::memcpy(_buffer + _used, data, part);
        _used += part;
        data += part;
        size -= part;
    }
}

void Serializer::value(fjson_object* object)
{
    switch (function::get_type(object))
    {
    case fjson_type_boolean:
        if (function::get_boolean(object))
            put("true", 4);
        else
            put("false", 5);
        return;
    case fjson_type_int:
        integer(function::get_int64(object));
        return;
    case fjson_type_double:
        real(object);
        return;
    case fjson_type_string:
        string(function::get_string(object), static_cast<size_t>(function::get_string_len(object)),
               false);
        return;
    case fjson_type_object:
        this->object(object);
        return;
    case fjson_type_array:
        array(object);
        return;
    default:
        put("null", 4);
        return;
    }
}

void Serializer::object(fjson_object* object)
{
    put('{');
    bool first = true;
    const auto end = function::iter_end(object);
    for (auto iterator = function::iter_begin(object); !function::iter_equal(&iterator, &end);
         function::iter_next(&iterator))
    {
        if (!first) put(',');
        if (_spaced) put(' ');
        first = false;
        const char* name = function::iter_peek_name(&iterator);
        string(name, std::strlen(name), true);
        if (_spaced)
            put(": ", 2);
        else
            put(':');
        value(function::iter_peek_value(&iterator));
    }
    if (_spaced) put(' ');
    put('}');
}

void Serializer::array(fjson_object* array)
{
    put('[');
    const int length = function::array_length(array);
    for (int index = 0; index < length; ++index)
    {
        if (index > 0) put(',');
        if (_spaced) put(' ');
        value(function::array_get_idx(array, index));
    }
    if (_spaced) put(' ');
    put(']');
}

void Serializer::string(const char* data, size_t size, bool name)
{
    put('"');
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    size_t run = 0;
    for (size_t index = 0; index < size; ++index)
    {
        const unsigned char c = bytes[index];
        if (!escapes.special[c]) continue;

        unsigned codePoint;
        size_t length = 1;
        if (c == 0xc0)
        {
            if (!name || index + 1 >= size || bytes[index + 1] != 0x80) continue;
            codePoint = 0;
            length = 2;
        }
        else if (c == 0xed)
        {
            if (index + 2 >= size || bytes[index + 1] < 0xa0 || bytes[index + 1] > 0xbf ||
                (bytes[index + 2] & 0xc0) != 0x80)
                continue;
            codePoint = 0xd000u | ((bytes[index + 1] & 0x3fu) << 6) | (bytes[index + 2] & 0x3fu);
            length = 3;
        }
        else
            codePoint = c;

        put(data + run, index - run);
        char escape[6];
        const size_t escapeSize = escapeOf(codePoint, escape);
        put(escape, escapeSize);
        index += length - 1;
        run = index + 1;
    }
    put(data + run, size - run);
    put('"');
}

void Serializer::integer(int64_t value)
{
    char digits[24];
    char* position = digits + sizeof digits;
    uint64_t magnitude =
        value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do
    {
        *--position = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) *--position = '-';
    put(position, static_cast<size_t>(digits + sizeof digits - position));
}

void Serializer::real(fjson_object* value)
{
    // A parsed double keeps its text, which is written as it came.
    if (const char* text = function::double_text(value))
    {
        put(text, std::strlen(text));
        return;
    }
    const double number = function::get_double(value);
    if (!std::isfinite(number))
    {
        put("null", 4);
        return;
    }
    char text[32];
    int size = std::snprintf(text, sizeof text, "%.17g", number);
    // libfastjson marks a whole number as a double with ".0"; after an
    // exponent that would no longer be JSON.
    if (std::strpbrk(text, ".e") == nullptr)
    {
        text[size++] = '.';
        text[size++] = '0';
    }
    put(text, static_cast<size_t>(size));
}

} // namespace detail
} // namespace JSON
} // namespace Kestrava
