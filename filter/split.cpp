#include "filter/split.h"

#include <algorithm>

namespace Kestrava
{
namespace Filter
{

size_t Split::process(const char* data, size_t size, bool final)
{
    if (_width == 0) return next->append(data, size, final);
    size_t total = 0;
    while (size > 0)
    {
        if (_column == _width)
        {
            // The separator is a copy that dies with the stage: not final.
            total += next->append(_separator.data(), _separator.size(), false);
            _column = 0;
        }
        size_t piece = std::min(size, _width - _column);
        total += next->append(data, piece, final);
        _column += piece;
        data += piece;
        size -= piece;
    }
    return total;
}

} // namespace Filter
} // namespace Kestrava
