#include "json/detail/parser.h"

#include "json/detail/lexer.h"
#include "json/function.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace Kestrava {
namespace JSON {
namespace detail {

namespace {

/// Drops the reference of a value under construction when parsing fails.
struct Put
{
    void operator()(fjson_object* object) const { function::put(object); }
};
using Owned = std::unique_ptr<fjson_object, Put>;

/// The bytes that a string may hold as they are: no quote, no backslash,
/// no control character, nothing beyond ASCII (which needs checking).
bool isPlain(unsigned char c)
{
    return c >= 0x20 && c < 0x80 && c != '"' && c != '\\';
}

} // namespace

bool Parser::parse(std::string_view text, fjson_object*& result)
{
    result = nullptr;
    _position = text.data();
    _end = text.data() + text.size();
    _position = skipByteOrderMark(_position, _end);

    skipBlanks();
    Owned value;
    fjson_object* parsed = nullptr;
    if (!this->value(parsed, 0)) return false;
    value.reset(parsed);
    skipBlanks();
    if (_position != _end) return false;
    result = value.release();
    return true;
}

void Parser::skipBlanks()
{
    _position = detail::skipBlanks(_position, _end);
}

bool Parser::value(fjson_object*& result, int depth)
{
    result = nullptr;
    if (_position == _end) return false;
    switch (*_position)
    {
    case '{':
        return depth < maximumDepth && object(result, depth + 1);
    case '[':
        return depth < maximumDepth && array(result, depth + 1);
    case '"':
    {
        std::string_view text;
        if (!string(false, text)) return false;
        result = function::new_string_len(text.data(), text.size());
        return result != nullptr;
    }
    case 't':
        if (!literal("true")) return false;
        result = function::new_boolean(true);
        return true;
    case 'f':
        if (!literal("false")) return false;
        result = function::new_boolean(false);
        return true;
    case 'n':
        return literal("null");
    default:
        return number(result);
    }
}

bool Parser::literal(std::string_view word)
{
    if (static_cast<size_t>(_end - _position) < word.size() ||
        std::string_view(_position, word.size()) != word)
        return false;
    _position += word.size();
    return true;
}

template <typename ReadOne>
bool Parser::container(fjson_object* made, char close, fjson_object*& result, ReadOne readOne)
{
    ++_position;
    Owned container(made);
    skipBlanks();
    if (_position == _end || *_position != close)
    {
        for (bool closed = false; !closed;)
            if (!readOne(container.get()) || !nextItem(_position, _end, close, closed)) return false;
    }
    ++_position;
    result = container.release();
    return true;
}

bool Parser::object(fjson_object*& result, int depth)
{
    std::string name;
    return container(function::new_object(), '}', result,
                     [&](fjson_object* object)
                     {
                         std::string_view text;
                         if (_position == _end || *_position != '"' || !string(true, text))
                             return false;
                         name.assign(text.data(), text.size());
                         skipBlanks();
                         if (_position == _end || *_position != ':') return false;
                         ++_position;
                         skipBlanks();
                         fjson_object* member = nullptr;
                         if (!value(member, depth)) return false;
                         // A repeated name keeps its last value, as most parsers do.
                         function::object_add(object, name.c_str(), member);
                         return true;
                     });
}

bool Parser::array(fjson_object*& result, int depth)
{
    int index = 0;
    return container(function::new_array(), ']', result,
                     [&](fjson_object* array)
                     {
                         fjson_object* element = nullptr;
                         return value(element, depth) &&
                                function::array_put_idx(array, index++, element) == 0;
                     });
}

bool Parser::number(fjson_object*& result)
{
    const char* start = _position;
    const char* integerEnd = nullptr;
    _position = numberEnd(start, _end, integerEnd);
    if (_position == nullptr) return false;

    if (integerEnd == _position)
    {
        const bool negative = *start == '-';
        const uint64_t limit = negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX);
        uint64_t magnitude = 0;
        bool fits = true;
        for (const char* digit = negative ? start + 1 : start; digit != _position && fits; ++digit)
        {
            const unsigned value = static_cast<unsigned>(*digit - '0');
            fits = magnitude <= (limit - value) / 10;
            magnitude = magnitude * 10 + value;
        }
        if (fits)
        {
            result = function::new_int64(negative ? static_cast<int64_t>(0 - magnitude)
                                                  : static_cast<int64_t>(magnitude));
            return true;
        }
    }

    // A fraction, an exponent or an integer beyond 64 bits: a double that
    // is written back with the very text it came with.
    _text.assign(start, static_cast<size_t>(_position - start));
    result = function::new_double_s(std::strtod(_text.c_str(), nullptr), _text.c_str());
    return result != nullptr;
}

bool Parser::string(bool name, std::string_view& text)
{
    // Until the first escape the string is taken from the text itself;
    // from there on it is decoded into _text.
    ++_position;
    const char* start = _position;
    const char* run = _position;
    bool decoded = false;
    for (;;)
    {
        while (_position != _end && isPlain(static_cast<unsigned char>(*_position)))
            ++_position;
        if (_position == _end) return false;
        const unsigned char c = static_cast<unsigned char>(*_position);
        if (c == '"')
        {
            if (decoded)
            {
                _text.append(run, static_cast<size_t>(_position - run));
                text = _text;
            }
            else
                text = std::string_view(start, static_cast<size_t>(_position - start));
            ++_position;
            return true;
        }
        if (c == '\\')
        {
            if (!decoded)
            {
                decoded = true;
                _text.clear();
            }
            _text.append(run, static_cast<size_t>(_position - run));
            if (!escape(name)) return false;
            run = _position;
        }
        else if (c < 0x20)
            return false;
        else if (const size_t length = sequenceLength(_position, _end))
            _position += length;
        else
            return false;
    }
}

bool Parser::escape(bool name)
{
    ++_position;
    if (_position == _end) return false;
    const char letter = *_position++;
    if (letter != 'u')
    {
        const int character = escapedCharacter(letter);
        if (character < 0) return false;
        _text += static_cast<char>(character);
        return true;
    }
    const long character = unicodeEscape(_position, _end);
    if (character < 0) return false;
    if (character == 0 && name)
        _text += "\xC0\x80";
    else
    {
        char encoded[4];
        _text.append(encoded, encodeUtf8(static_cast<unsigned>(character), encoded));
    }
    return true;
}

} // namespace detail
} // namespace JSON
} // namespace Kestrava
