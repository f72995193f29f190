#include "filter/quotedprintabledecode.h"

#include "filter/detail/hexdigits.h"
#include "filter/detail/output.h"

#include <cctype>
#include <cstring>

namespace Kestrava
{
namespace Filter
{

size_t QuotedPrintableDecode::process(const char* data, size_t size, bool final)
{
    using detail::hexValue;
    detail::Output output(next, final);
    for (size_t i = 0; i < size;)
    {
        if (_state == 0)
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
                _state = 1;
            continue;
        }
        char c = data[i++];
        if (c == '\n' && _state != 2)
        {
            _state = 0;
            _held.clear();
            continue;
        }
        if (_state != 2 && std::isspace(static_cast<unsigned char>(c)))
        {
            _state = 3;
            _held.push_back(c);
            continue;
        }
        if (_state == 1 && detail::isHexDigit(c))
        {
            _state = 2;
            _held.push_back(c);
            continue;
        }
        if (_state == 2 && detail::isHexDigit(c))
        {
            output.add(static_cast<char>(hexValue(_held[0]) << 4 | hexValue(c)));
            _state = 0;
            _held.clear();
            continue;
        }
        // Neither an escape nor a soft break: the "=" and what followed it
        // stand as they are, and this byte is looked at afresh.
        output.add('=');
        output.add(_held.data(), _held.size());
        _held.clear();
        _state = 0;
        --i;
    }
    return output.finish();
}

} // namespace Filter
} // namespace Kestrava
