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
    : Filter(next), _limit(limit), _remaining(limit > used ? limit - used : 0), _encoding(encoding),
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

void MimeHeaderEncode::Encoder::use(size_t count)
{
    // A first word longer than the room left must not make the room wrap
    // around: then the next word could never fold.
    _remaining -= std::min(count, _remaining);
}

size_t MimeHeaderEncode::Encoder::nextline()
{
    _atLineStart = true;
    _remaining = _limit > 0 ? _limit - 1 : 0;
    return next->append("\r\n ", 3, true);
}

size_t MimeHeaderEncode::Encoder::process(const char* data, size_t size, bool final)
{
    // Readers take an encoded word anywhere in a word ("(=?utf-8?q?a?=)"
    // reads "(a)"), so a word holding "=?" is encoded itself.
    bool plain = size + 1 <= longestLine && printable(data, size) &&
                 std::string_view(data, size).find("=?") == std::string_view::npos;
    if (!plain)
    {
        // Held, so that neighbours that need encoding share encoded words.
        if (!_buffer.empty()) _buffer.push_back(' ');
        _buffer.append(data, size);
        return 0;
    }
    size_t total = flushBuffer();
    if (!_atLineStart)
    {
        if (size + 1 > _remaining)
            total += nextline();
        else
        {
            total += next->append(" ", 1, true);
            use(1);
        }
    }
    total += next->append(data, size, final);
    use(size);
    _atLineStart = false;
    return total;
}

size_t MimeHeaderEncode::Encoder::flushBuffer()
{
    size_t total = 0;
    size_t position = 0;
    bool freshLine = false;
    const char* charset = EncodedMimeWord::charsetOf(_buffer.data(), _buffer.size());
    while (position < _buffer.size())
    {
        if (_remaining == 0)
        {
            total += nextline();
            freshLine = true;
        }
        size_t available = _atLineStart ? _remaining : _remaining - 1;
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
            total += nextline();
            freshLine = true;
            continue;
        }
        if (_atLineStart)
            _atLineStart = false;
        else
        {
            total += next->append(" ", 1, true);
            use(1);
        }
        total += next->append(word->text().data(), word->text().size(), false);
        use(word->text().size());
        position += word->consumed();
        freshLine = false;
    }
    _buffer.clear();
    return total;
}

size_t MimeHeaderEncode::Encoder::flush()
{
    size_t total = flushBuffer();
    return total + next->flush();
}

} // namespace Filter
} // namespace Kestrava
