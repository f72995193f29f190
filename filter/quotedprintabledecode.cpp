#include "filter/quotedprintabledecode.h"

#include "filter/detail/hexdigits.h"
#include "filter/detail/output.h"

#include <cstring>

namespace Kestrava
{
namespace Filter
{

QuotedPrintableDecode::~QuotedPrintableDecode()
{
    try
    {
        finish();
    }
    catch (...)
    {
        // A destructor must not throw; what the sink refused is lost.
    }
}

size_t QuotedPrintableDecode::process(const char* data, size_t size, bool final)
{
    using detail::hexValue;
    detail::Output output(next, final);
    for (size_t i = 0; i < size;)
    {
        if (_state == State::copying)
        {
            auto mark = static_cast<const char*>(std::memchr(data + i, '=', size - i));
            size_t stop = mark == nullptr ? size : static_cast<size_t>(mark - data);
            output.keep(data + i, stop - i);
            i = stop + 1;
            // The common escape, whole in this chunk.
            if (stop + 2 < size && detail::isHexDigit(data[stop + 1]) &&
                detail::isHexDigit(data[stop + 2]))
            {
                output.add(
                    static_cast<char>(hexValue(data[stop + 1]) << 4 | hexValue(data[stop + 2])));
                i += 2;
            }
            else if (stop < size)
                _state = State::afterEquals;
            continue;
        }
        char c = data[i];
        State state = _state;
        _state = State::copying;
        if (state == State::afterCarriageReturn)
        {
            if (c == '\n') ++i;
            continue;
        }
        bool blank = c == ' ' || c == '\t';
        if ((state == State::afterEquals || state == State::afterBlanks) && blank)
        {
            _state = State::afterBlanks;
            _blanks += c;
            ++i;
            continue;
        }
        if ((state == State::afterEquals || state == State::afterBlanks) &&
            (c == '\n' || c == '\r'))
        {
            if (c == '\r') _state = State::afterCarriageReturn;
            _blanks.clear();
            ++i;
            continue;
        }
        if (state == State::afterEquals && detail::isHexDigit(c))
        {
            _state = State::afterDigit;
            _digit = c;
            ++i;
            continue;
        }
        if (state == State::afterDigit && detail::isHexDigit(c))
        {
            output.add(static_cast<char>(hexValue(_digit) << 4 | hexValue(c)));
            ++i;
            continue;
        }
        // Neither an escape nor a soft break: the "=" and the digit or the
        // blanks after it stand as they are, and this byte is looked at
        // afresh.
        output.add('=');
        if (state == State::afterDigit) output.add(_digit);
        output.add(_blanks.data(), _blanks.size());
        _blanks.clear();
    }
    return output.finish();
}

size_t QuotedPrintableDecode::finish()
{
    bool digit = _state == State::afterDigit;
    _state = State::copying;
    // Blanks after an "=" that ends the text pad a soft break.
    _blanks.clear();
    if (!digit) return 0;
    const char rest[] = {'=', _digit};
    return next->append(rest, sizeof rest, false);
}

size_t QuotedPrintableDecode::flush()
{
    size_t written = finish();
    return written + next->flush();
}

} // namespace Filter
} // namespace Kestrava
