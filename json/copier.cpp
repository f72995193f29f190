#include "json/copier.h"

#include "json/detail/lexer.h"
#include "json/pruner.h"

#include <cstdint>
#include <cstring>

namespace Kestrava {
namespace JSON {

using namespace detail;

namespace {

/// Room beyond the bytes of input left: every byte the copy writes stands
/// for one it has read, but for a "/" in a string (written "\/").
constexpr size_t slack = 16;

/// What a byte inside a string asks of the copy.
enum Kind : unsigned char
{
    plain,
    quote,
    backslash,
    slash,
    control,
    multibyte
};

struct Kinds
{
    Kind of[256];

    Kinds()
    {
        for (int c = 0; c < 256; ++c)
            of[c] = c < 0x20 ? control : c >= 0x80 ? multibyte : plain;
        of[int('"')] = quote;
        of[int('\\')] = backslash;
        of[int('/')] = slash;
    }
};

const Kinds kinds;

Kind kindOf(char c)
{
    return kinds.of[static_cast<unsigned char>(c)];
}

// The first byte of a word read from memory is its lowest.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "little-endian words");
constexpr uint64_t ones = 0x0101010101010101u;
constexpr uint64_t highBits = 0x8080808080808080u;

/// The high bit of the first byte of word that is not plain is set, and no
/// bit below it (bits above may be set too: a borrow runs upwards).
uint64_t notPlain(uint64_t word)
{
    const auto zeroByte = [](uint64_t value) { return (value - ones) & ~value & highBits; };
    const uint64_t control = (word - ones * 0x20) & ~word & highBits;
    return control | zeroByte(word ^ (ones * '"')) | zeroByte(word ^ (ones * '\\')) |
           zeroByte(word ^ (ones * '/')) | (word & highBits);
}

} // namespace

// Before their callers, so that they are inlined.
inline void Copier::skipBlanks()
{
    if (_position != _end && static_cast<unsigned char>(*_position) > ' ') return;
    _position = detail::skipBlanks(_position, _end);
}

inline void Copier::copyPlain()
{
    // Eight bytes at a time, copied before they are looked at: the output
    // has room for every byte of input left.
    while (_end - _position >= 8)
    {
        uint64_t word;
        std::memcpy(&word, _position, 8);
        std::memcpy(_out, &word, 8);
        if (const uint64_t found = notPlain(word))
        {
            const int run = __builtin_ctzll(found) / 8;
            _position += run;
            _out += run;
            return;
        }
        _position += 8;
        _out += 8;
    }
    while (_position != _end && kindOf(*_position) == plain)
        *_out++ = *_position++;
}

bool Copier::copy(std::string_view text, std::string& output, Pruner* pruner)
{
    _position = text.data();
    _end = text.data() + text.size();
    _output = &output;
    _pruner = pruner;
    output.resize(text.size() + slack);
    _out = output.data();

    _position = skipByteOrderMark(_position, _end);
    skipBlanks();
    const bool copied = value(0, pruner != nullptr);
    skipBlanks();
    output.resize(copied ? static_cast<size_t>(_out - output.data()) : 0);
    return copied && _position == _end;
}

std::string Copier::escaped(std::string_view text)
{
    std::string result;
    for (char c : text)
    {
        const Kind kind = kindOf(c);
        if (kind == plain || kind == multibyte)
        {
            result += c;
            continue;
        }
        char escape[6];
        result.append(escape, escapeOf(static_cast<unsigned char>(c), escape));
    }
    return result;
}

void Copier::reserve(size_t extra)
{
    const size_t used = written();
    const size_t needed = used + static_cast<size_t>(_end - _position) + extra + slack;
    if (needed <= _output->size()) return;
    _output->resize(needed + needed / 2);
    _out = _output->data() + used;
}

bool Copier::value(int depth, bool watched)
{
    if (_position == _end) return false;
    switch (*_position)
    {
    case '{':
        return depth < maximumDepth && object(depth + 1, watched);
    case '[':
        return depth < maximumDepth && array(depth + 1, watched);
    case '"':
        return string();
    case 't':
        return literal("true");
    case 'f':
        return literal("false");
    case 'n':
        return literal("null");
    default:
        return number();
    }
}

bool Copier::literal(std::string_view word)
{
    if (static_cast<size_t>(_end - _position) < word.size() ||
        std::memcmp(_position, word.data(), word.size()) != 0)
        return false;
    std::memcpy(_out, word.data(), word.size());
    _out += word.size();
    _position += word.size();
    return true;
}

bool Copier::number()
{
    const char* integerEnd;
    const char* end = numberEnd(_position, _end, integerEnd);
    if (end == nullptr) return false;
    const size_t size = static_cast<size_t>(end - _position);
    std::memcpy(_out, _position, size);
    _out += size;
    _position = end;
    return true;
}

template <typename CopyItem>
bool Copier::container(char close, CopyItem copyItem)
{
    *_out++ = *_position++;
    skipBlanks();
    bool any = false;
    if (_position != _end && *_position == close)
    {
        ++_position;
        *_out++ = close;
        return true;
    }
    bool closed = false;
    for (size_t index = 0; !closed; ++index)
    {
        // Offsets, not pointers: a string with "/" in it may move the output.
        const size_t start = written();
        if (any) *_out++ = ',';
        Pruner::Verdict verdict;
        if (!copyItem(index, verdict)) return false;
        // What is left out was validated all the same, then taken back.
        if (verdict == Pruner::leaveOut)
            _out = _output->data() + start;
        else
            any = true;
        if (!nextItem(_position, _end, close, closed)) return false;
    }
    ++_position;
    *_out++ = close;
    return true;
}

bool Copier::item(int depth, Pruner::Verdict verdict)
{
    if (!value(depth, verdict == Pruner::watch)) return false;
    if (verdict == Pruner::watch) _pruner->leave();
    return true;
}

bool Copier::object(int depth, bool watched)
{
    return container('}',
                     [&](size_t, Pruner::Verdict& verdict)
                     {
                         if (_position == _end || *_position != '"') return false;
                         const size_t name = written() + 1;
                         if (!string()) return false;
                         verdict = watched ? _pruner->member(std::string_view(
                                                 _output->data() + name, written() - 1 - name))
                                           : Pruner::keep;
                         skipBlanks();
                         if (_position == _end || *_position != ':') return false;
                         ++_position;
                         *_out++ = ':';
                         skipBlanks();
                         return item(depth, verdict);
                     });
}

bool Copier::array(int depth, bool watched)
{
    return container(']',
                     [&](size_t index, Pruner::Verdict& verdict)
                     {
                         verdict = watched ? _pruner->element(index) : Pruner::keep;
                         return item(depth, verdict);
                     });
}

bool Copier::string()
{
    ++_position;
    *_out++ = '"';
    for (;;)
    {
        copyPlain();
        if (_position == _end) return false;
        switch (kindOf(*_position))
        {
        case quote:
            ++_position;
            *_out++ = '"';
            return true;
        case slash:
            // Written escaped, as the tree's writer does.
            ++_position;
            reserve(1);
            *_out++ = '\\';
            *_out++ = '/';
            break;
        case backslash:
            if (!escape()) return false;
            break;
        case multibyte:
        {
            const size_t length = sequenceLength(_position, _end);
            if (length == 0) return false;
            std::memcpy(_out, _position, length);
            _out += length;
            _position += length;
            break;
        }
        default:
            return false;
        }
    }
}

bool Copier::escape()
{
    ++_position;
    if (_position == _end) return false;
    const char letter = *_position++;
    if (letter != 'u')
    {
        // A short escape is written as it came.
        if (escapedCharacter(letter) < 0) return false;
        *_out++ = '\\';
        *_out++ = letter;
        return true;
    }
    const long character = unicodeEscape(_position, _end);
    if (character < 0) return false;
    // A lone surrogate stays an escape; what needs no escape is written as
    // the UTF-8 it stands for, as the tree holds and writes it.
    const bool surrogate = character >= 0xd800 && character <= 0xdfff;
    if (surrogate || character < 0x20 || character == '"' || character == '\\' || character == '/')
        _out += escapeOf(static_cast<unsigned>(character), _out);
    else
        _out = encodeUtf8(static_cast<unsigned>(character), _out);
    return true;
}

} // namespace JSON
} // namespace Kestrava
