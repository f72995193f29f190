#include "mime/fields/delimdetector.h"

#include "mime/detail/ctype.h"

namespace Kestrava
{
namespace Mime
{

size_t DelimDetector::parse(const char* data, size_t size)
{
    size_t position = 0;
    bool expecting = true;
    while (position < size)
    {
        char c = data[position];
        if (detail::isSpace(c) || c == _delimiter)
        {
            if (c == _delimiter) expecting = true;
            ++position;
            continue;
        }
        if (!expecting) break;
        size_t taken = _item(data + position, size - position);
        if (taken == 0) break;
        position += taken;
        expecting = false;
    }
    _consumed += position;
    return position;
}

} // namespace Mime
} // namespace Kestrava
