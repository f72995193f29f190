#include "filter/mimeheaderencode.h"

#include "filter/detail/set.h"
#include "filter/encodedmimeword.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <stdexcept>
#include <string_view>

namespace Kestrava
{
namespace Filter
{

namespace
{

// RFC 2047, section 2: an encoded word is at most 75 characters long.
constexpr size_t longestEncodedWord = 75;

// RFC 5322, section 2.1.1: no line passes 998 characters. A longer plain
// word is left whole on a line of its own up to there: as encoded words it
// would read the same to a MIME reader but not to anyone else.
constexpr size_t longestLine = 998;

} // namespace

MimeHeaderEncode::MimeHeaderEncode(size_t used, size_t limit, MimeHeaderEncoding encoding,
                                   Result* next)
    : Filter(&_words), _encoder(used, limit, encoding, next), _words(&_encoder)
{
}

MimeHeaderEncode::Encoder::Encoder(size_t used, size_t limit, MimeHeaderEncoding encoding,
                                   Result* next)
    : Filter(next), _limit(limit), _column(used), _encoding(encoding),
      _specials(plainSpecials(encoding))
{
}

bool MimeHeaderEncode::Encoder::printable(const char* data, size_t size) const
{
    for (size_t i = 0; i < size; ++i)
    {
        auto c = static_cast<unsigned char>(data[i]);
        if (c >= 0x80 || !std::isprint(c) || detail::inSet(_specials, data[i])) return false;
    }
    return true;
}

size_t MimeHeaderEncode::Encoder::remaining() const
{
    return _limit > _column ? _limit - _column : 0;
}

size_t MimeHeaderEncode::Encoder::nextline(const std::string& separator)
{
    // A line break without white space after it would end the field.
    const std::string blanks = separator.empty() ? " " : separator;
    _atLineStart = true;
    _column = blanks.size();
    size_t total = next->append("\r\n", 2, true);
    return total + next->append(blanks.data(), blanks.size(), false);
}

void MimeHeaderEncode::Encoder::separate(const char* data, size_t size)
{
    _separator.emplace(data, size);
}

std::string MimeHeaderEncode::Encoder::takeSeparator()
{
    std::string separator = _separator.value_or(" ");
    _separator.reset();
    return separator;
}

bool MimeHeaderEncode::Encoder::plainWord(std::string_view word, const std::string& separator) const
{
    // Readers take an encoded word anywhere in a word ("(=?utf-8?q?a?=)"
    // reads "(a)"), so a word holding "=?" is encoded itself. So is one
    // glued to a kept word, which only an encoded word may follow.
    return word.size() + 1 <= longestLine && printable(word.data(), word.size()) &&
           word.find("=?") == std::string_view::npos && !separator.empty();
}

void MimeHeaderEncode::Encoder::hold(std::string_view text, const std::string& separator)
{
    // Held, so that neighbours that need encoding share encoded words;
    // white space between them goes inside, where readers keep it.
    // After a kept word all of it does: the blank outside is dropped.
    if (_buffer.empty())
        _runSeparator = _afterKept ? " " + separator : separator;
    else
        _buffer += separator;
    _buffer.append(text);
}

bool MimeHeaderEncode::Encoder::fitsLine(size_t size, const std::string& separator) const
{
    // After a separator place() may fold first: the line then starts with
    // it. Where it does not, the line holds at most the limit.
    size_t before = _atLineStart || separator.empty() ? _column : separator.size();
    return before + size <= longestLine;
}

size_t MimeHeaderEncode::Encoder::process(const char* data, size_t size, bool final)
{
    std::string separator = takeSeparator();
    if (!plainWord(std::string_view(data, size), separator))
    {
        hold(std::string_view(data, size), separator);
        return 0;
    }
    size_t total = flushBuffer();
    total += place(std::string_view(data, size), final, separator);
    _afterKept = false;
    return total;
}

size_t MimeHeaderEncode::Encoder::place(std::string_view word, bool final,
                                        const std::string& separator)
{
    size_t total = 0;
    if (!_atLineStart && !separator.empty())
    {
        if (word.size() + separator.size() > remaining())
            total += nextline(separator);
        else
        {
            total += next->append(separator.data(), separator.size(), false);
            _column += separator.size();
        }
    }
    total += next->append(word.data(), word.size(), final);
    _column += word.size();
    _atLineStart = false;
    return total;
}

size_t MimeHeaderEncode::Encoder::keep(const std::string& glued, const char* data, size_t size)
{
    std::string separator = takeSeparator();
    std::string_view word(data, size);
    // Only a word of printable ASCII that fits a line can go as it came:
    // 8-bit bytes would reach a 7-bit receiver raw.
    bool keepable =
        std::all_of(word.begin(), word.end(),
                    [](char c) { return std::isgraph(static_cast<unsigned char>(c)) != 0; });
    if (keepable && !glued.empty() && plainWord(glued, separator) &&
        fitsLine(glued.size() + size, separator))
    {
        // Glued to a plain word before it, it goes as it came, unfolded.
        size_t total = flushBuffer();
        total += place(glued + std::string(word), false, separator);
        _afterKept = true;
        return total;
    }
    // Else it follows the glued text, encoded, or a word held or kept, after
    // a blank, which readers drop between encoded words.
    bool afterBlank = !glued.empty() || !_buffer.empty() || _afterKept;
    if (!keepable || !(afterBlank ? size + 1 <= longestLine : fitsLine(size, separator)))
    {
        // It goes as the text it reads as here, as the glued text does.
        hold(glued + std::string(word), separator);
        return 0;
    }
    size_t total = 0;
    if (!glued.empty())
    {
        hold(glued, separator);
        separator.clear();
    }
    if (!_buffer.empty())
    {
        _buffer += separator;
        separator = " ";
        total += flushBuffer();
    }
    else if (_afterKept)
        separator = " ";
    total += place(word, false, separator);
    _afterKept = true;
    return total;
}

size_t MimeHeaderEncode::Encoder::flushBuffer()
{
    if (_buffer.empty()) return 0;
    size_t total = 0;
    size_t position = 0;
    bool freshLine = false;
    const char* charset = EncodedMimeWord::charsetOf(_buffer.data(), _buffer.size());
    // What stood before the run goes before its first word, all but its
    // first character inside it, where no fold can leave the word too
    // little room; between its own words a blank, which readers drop.
    std::string separator = _runSeparator.substr(0, 1);
    if (_runSeparator.size() > 1) _buffer.insert(0, _runSeparator, 1, std::string::npos);
    while (position < _buffer.size())
    {
        if (remaining() == 0)
        {
            total += nextline(separator);
            freshLine = true;
        }
        size_t available =
            _atLineStart ? remaining() : remaining() - std::min(remaining(), separator.size());
        std::optional<EncodedMimeWord> word;
        try
        {
            word.emplace(_buffer.data() + position, _buffer.size() - position,
                         std::min(available, longestEncodedWord), _encoding, charset);
        }
        catch (const std::runtime_error&)
        {
            // Even a whole line is too short: nothing could ever be written.
            if (freshLine)
            {
                _buffer.clear();
                throw;
            }
            total += nextline(separator);
            freshLine = true;
            continue;
        }
        if (!_atLineStart && position + word->consumed() < _buffer.size() &&
            wholeOnNextLine(position, charset))
        {
            // Some readers (Python's address parser) put a blank between
            // the words of a split text: it goes whole on the next line.
            total += nextline(separator);
            freshLine = true;
            continue;
        }
        if (_atLineStart)
            _atLineStart = false;
        else
        {
            total += next->append(separator.data(), separator.size(), false);
            _column += separator.size();
        }
        total += next->append(word->text().data(), word->text().size(), false);
        _column += word->text().size();
        position += word->consumed();
        freshLine = false;
        separator = " ";
    }
    _buffer.clear();
    _afterKept = false;
    return total;
}

bool MimeHeaderEncode::Encoder::wholeOnNextLine(size_t position, const char* charset) const
{
    size_t rest = _buffer.size() - position;
    size_t room = std::min(_limit > 1 ? _limit - 1 : 0, longestEncodedWord);
    try
    {
        return EncodedMimeWord(_buffer.data() + position, rest, room, _encoding, charset)
                   .consumed() == rest;
    }
    catch (const std::runtime_error&)
    {
        return false;
    }
}

size_t MimeHeaderEncode::Encoder::flush()
{
    size_t total = flushBuffer();
    return total + next->flush();
}

} // namespace Filter
} // namespace Kestrava
