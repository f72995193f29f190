#include "filter/newlineconverter.h"

#include "filter/detail/output.h"

#include <cstring>

namespace Kestrava
{
namespace Filter
{

NewlineConverter::NewlineConverter(Result* next, const char* newline, int mode)
    : Filter(next), _newline(newline), _length(std::strlen(newline)), _mode(mode)
{
}

size_t NewlineConverter::process(const char* data, size_t size, bool final)
{
    if (size == 0) return 0;
    detail::Output output(next, final);
    size_t i = 0;
    // The "\r" that ended the last chunk was written as a break already.
    if (_lastWasCR && data[0] == '\n') i = 1;
    for (; i < size; ++i)
    {
        size_t end = i;
        while (end < size && data[end] != '\r' && data[end] != '\n')
            ++end;
        output.keep(data + i, end - i);
        if (end == size) break;
        i = end;
        char c = data[i];
        if (c == '\r')
        {
            bool pair = i + 1 < size && data[i + 1] == '\n';
            if (pair && _mode == 0)
                output.keep(data + i, 2);
            else
                output.literal(_newline, _length);
            if (pair) ++i;
        }
        else if (c == '\n' && _mode == 0)
            output.literal(_newline, _length);
        else
            output.keep(data + i, 1);
    }
    _lastWasCR = data[size - 1] == '\r';
    return output.finish();
}

size_t NewlineConverter::flush()
{
    _lastWasCR = false;
    return next->flush();
}

} // namespace Filter
} // namespace Kestrava
