#include "mime/detail/sevenbit.h"

#include "mime/detail/ctype.h"

#include <cstring>

namespace Kestrava
{
namespace Mime
{
namespace detail
{

bool linesWithin(const char* data, size_t size, size_t limit)
{
    size_t line = 0;
    for (size_t i = 0; i < size; ++i)
    {
        if (data[i] == '\r' || data[i] == '\n')
            line = 0;
        else if (++line > limit)
            return false;
    }
    return true;
}

bool sevenBitText(const char* data, size_t size, size_t limit)
{
    return !hasEightBit(data, size) && std::memchr(data, '\0', size) == nullptr &&
           linesWithin(data, size, limit);
}

size_t SevenBitCheck::append(const char* data, size_t size, bool)
{
    for (size_t i = 0; i < size && !_failed; ++i)
    {
        char c = data[i];
        if (_afterCr)
        {
            _afterCr = false;
            _failed = c != '\n';
            _line = 0;
        }
        else if (c == '\r')
            _afterCr = true;
        else
            _failed = c == '\n' || c == '\0' || !isAscii(c) || ++_line > _limit;
    }
    return size;
}

} // namespace detail
} // namespace Mime
} // namespace Kestrava
