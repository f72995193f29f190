#include "filter/wordwrap.h"

#include "filter/detail/set.h"

#include <cctype>

namespace Kestrava
{
namespace Filter
{

WordWrap::WordWrap(LineLength* output, const BufferSize& limit)
    : LineLength(&_words), _encoder(output, limit, output->size()), _words(&_encoder)
{
}

BufferSize WordWrap::size() const
{
    const BufferSize& pending = _words.bufferUntil().pending();
    const std::string& buffer = _words.bufferUntil().buffer();
    const BufferSize& position = _encoder.position();
    size_t first = 0;
    // Bytes past the held ones count as the terminating NUL, not blank.
    while (first < pending.max && first < buffer.size() &&
           std::isspace(static_cast<unsigned char>(buffer[first])))
        ++first;
    if (pending.max == 0 || first == pending.max) return position;
    size_t bytes = pending.max - first;
    size_t chars = pending.preferred > first ? pending.preferred - first : 0;
    if (position.preferred + chars >= _encoder.limit().preferred) return {bytes + 1, chars + 1};
    return {position.max + bytes + 1, position.preferred + chars + 1};
}

size_t WordWrap::Encoder::process(const char* data, size_t size, bool final)
{
    size_t count = detail::countCharacters(data, size);
    size_t total = 0;
    // Nothing stands on the line yet: a fold there would only leave an
    // empty line (before a long field name, one that ends the header).
    bool fits = _position.max == 0 ||
                _position.preferred + count + (_atLineStart ? 0 : 1) <= _limit.preferred;
    if (fits && !_atLineStart)
    {
        total += next->append(" ", 1, true);
        ++_position.max;
        ++_position.preferred;
    }
    else if (!fits)
    {
        total += next->append("\r\n ", 3, true);
        _position = BufferSize(1, 1);
    }
    total += next->append(data, size, final);
    _position.max += size;
    _position.preferred += count;
    _atLineStart = false;
    return total;
}

} // namespace Filter
} // namespace Kestrava
