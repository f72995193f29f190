#include "filter/quotedprintabledecode.h"

#include "filter/detail/hexdigits.h"
#include "filter/detail/output.h"

#include <cctype>

namespace Kestrava
{
namespace Filter
{

size_t QuotedPrintableDecode::process(const char* data, size_t size, bool final)
{
    using detail::hexValue;
    detail::Output output(next, final);
    for (size_t i = 0; i < size; ++i)
    {
        char c = data[i];
        bool blank = std::isspace(static_cast<unsigned char>(c)) && c != '\n';
        if ((_state == 1 || _state == 3) && c == '\n')
        {
            _state = 0;
            _held.clear();
            continue;
        }
        if ((_state == 1 || _state == 3) && blank)
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
        if (_state != 0)
        {
            output.add('=');
            output.add(_held.data(), _held.size());
            _held.clear();
        }
        _state = 0;
        if (c == '=')
            _state = 1;
        else
            output.keep(data + i, 1);
    }
    return output.finish();
}

} // namespace Filter
} // namespace Kestrava
