#include "json/detail/parser.h"

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

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

/// The bytes that a string may hold as they are: no quote, no backslash,
/// no control character, nothing beyond ASCII (which needs checking).
bool isPlain(unsigned char c)
{
    return c >= 0x20 && c < 0x80 && c != '"' && c != '\\';
}

bool isContinuation(unsigned char c)
{
    return (c & 0xc0) == 0x80;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

bool Parser::parse(std::string_view text, fjson_object*& result)
{
    result = nullptr;
    _position = text.data();
    _end = text.data() + text.size();
    if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) _position += 3;

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
    while (_position != _end &&
           (*_position == ' ' || *_position == '\n' || *_position == '\r' || *_position == '\t'))
        ++_position;
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
        for (;;)
        {
            if (!readOne(container.get())) return false;
            skipBlanks();
            if (_position == _end) return false;
            if (*_position == close) break;
            if (*_position != ',') return false;
            ++_position;
            skipBlanks();
        }
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
    if (_position != _end && *_position == '-') ++_position;
    if (_position == _end || !isDigit(*_position)) return false;
    // No leading zeros: a zero is the whole integer part.
    if (*_position == '0')
        ++_position;
    else
        while (_position != _end && isDigit(*_position))
            ++_position;
    const char* integerEnd = _position;
    if (_position != _end && *_position == '.')
    {
        ++_position;
        if (_position == _end || !isDigit(*_position)) return false;
        while (_position != _end && isDigit(*_position))
            ++_position;
    }
    if (_position != _end && (*_position == 'e' || *_position == 'E'))
    {
        ++_position;
        if (_position != _end && (*_position == '+' || *_position == '-')) ++_position;
        if (_position == _end || !isDigit(*_position)) return false;
        while (_position != _end && isDigit(*_position))
            ++_position;
    }

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
        else if (!utf8Sequence())
            return false;
    }
}

bool Parser::utf8Sequence()
{
    // RFC 3629: no overlong forms, no surrogates, nothing above U+10FFFF.
    const auto byte = [this](ptrdiff_t offset)
    { return static_cast<unsigned char>(_position[offset]); };
    const ptrdiff_t left = _end - _position;
    const unsigned char lead = byte(0);
    int length;
    unsigned char low = 0x80, high = 0xbf;
    if (lead >= 0xc2 && lead <= 0xdf)
        length = 2;
    else if (lead >= 0xe0 && lead <= 0xef)
    {
        length = 3;
        if (lead == 0xe0) low = 0xa0;
        if (lead == 0xed) high = 0x9f;
    }
    else if (lead >= 0xf0 && lead <= 0xf4)
    {
        length = 4;
        if (lead == 0xf0) low = 0x90;
        if (lead == 0xf4) high = 0x8f;
    }
    else
        return false;
    if (left < length || byte(1) < low || byte(1) > high) return false;
    for (int index = 2; index < length; ++index)
        if (!isContinuation(byte(index))) return false;
    _position += length;
    return true;
}

bool Parser::hex4(unsigned& value)
{
    if (_end - _position < 4) return false;
    value = 0;
    for (int index = 0; index < 4; ++index)
    {
        const int digit = hexDigit(_position[index]);
        if (digit < 0) return false;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    _position += 4;
    return true;
}

bool Parser::escape(bool name)
{
    ++_position;
    if (_position == _end) return false;
    const char c = *_position++;
    switch (c)
    {
    case '"':
    case '\\':
    case '/':
        _text += c;
        return true;
    case 'b':
        _text += '\b';
        return true;
    case 'f':
        _text += '\f';
        return true;
    case 'n':
        _text += '\n';
        return true;
    case 'r':
        _text += '\r';
        return true;
    case 't':
        _text += '\t';
        return true;
    case 'u':
        break;
    default:
        return false;
    }

    unsigned unit;
    if (!hex4(unit)) return false;
    if (unit == 0 && name)
        _text += "\xC0\x80";
    else if (unit >= 0xd800 && unit <= 0xdbff && _end - _position >= 6 && _position[0] == '\\' &&
             _position[1] == 'u')
    {
        // A high surrogate followed by an escaped low one is one character.
        const char* second = _position;
        _position += 2;
        unsigned low;
        if (!hex4(low)) return false;
        if (low >= 0xdc00 && low <= 0xdfff)
            append(0x10000 + ((unit - 0xd800) << 10) + (low - 0xdc00));
        else
        {
            append(unit);
            _position = second;
        }
    }
    else
        append(unit);
    return true;
}

void Parser::append(unsigned codePoint)
{
    // The plain UTF-8 forms; a lone surrogate gets the three-byte form that
    // its code point would have.
    if (codePoint < 0x80)
        _text += static_cast<char>(codePoint);
    else if (codePoint < 0x800)
    {
        _text += static_cast<char>(0xc0 | (codePoint >> 6));
        _text += static_cast<char>(0x80 | (codePoint & 0x3f));
    }
    else if (codePoint < 0x10000)
    {
        _text += static_cast<char>(0xe0 | (codePoint >> 12));
        _text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3f));
        _text += static_cast<char>(0x80 | (codePoint & 0x3f));
    }
    else
    {
        _text += static_cast<char>(0xf0 | (codePoint >> 18));
        _text += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3f));
        _text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3f));
        _text += static_cast<char>(0x80 | (codePoint & 0x3f));
    }
}

} // namespace detail
} // namespace JSON
} // namespace Kestrava
