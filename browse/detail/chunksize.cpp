#include "browse/detail/chunksize.h"

namespace Kestrava
{
namespace Browse
{
namespace detail
{

namespace
{
int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
} // namespace

bool parseChunkSize(const char* line, size_t length, size_t& size)
{
    size_t position = 0;
    size_t value = 0;
    size_t significant = 0;
    for (; position < length && hexValue(line[position]) >= 0; ++position)
    {
        value = value * 16 + static_cast<size_t>(hexValue(line[position]));
        if (value != 0 && ++significant > 15) return false;
    }
    if (position == 0) return false;
    while (position < length && (line[position] == ' ' || line[position] == '\t'))
        ++position;
    if (position < length && line[position] != ';') return false;
    size = value;
    return true;
}

} // namespace detail
} // namespace Browse
} // namespace Kestrava
