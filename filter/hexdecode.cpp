#include "filter/hexdecode.h"

#include "filter/detail/hexdigits.h"
#include "filter/detail/output.h"

namespace Kestrava
{
namespace Filter
{

HexDecode::~HexDecode()
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

size_t HexDecode::process(const char* data, size_t size, bool final)
{
    using detail::hexValue;
    detail::Output output(next, final);
    for (size_t i = 0; i < size; ++i)
    {
        char c = data[i];
        if (_state == 1 && detail::isHexDigit(c))
        {
            _first = c;
            _state = 2;
            continue;
        }
        if (_state == 2 && detail::isHexDigit(c))
        {
            output.add(static_cast<char>(hexValue(_first) << 4 | hexValue(c)));
            _state = 0;
            continue;
        }
        // Not an escape after all: what was held stands as it is, and this
        // byte is looked at afresh (it may begin an escape itself).
        if (_state >= 1) output.add('%');
        if (_state == 2) output.add(_first);
        _state = 0;
        if (c == '%')
            _state = 1;
        else
            output.keep(data + i, 1);
    }
    return output.finish();
}

size_t HexDecode::finish()
{
    const char held[] = {'%', _first};
    size_t size = static_cast<size_t>(_state);
    _state = 0;
    return size == 0 ? 0 : next->append(held, size, false);
}

size_t HexDecode::flush()
{
    size_t written = finish();
    return written + next->flush();
}

} // namespace Filter
} // namespace Kestrava
