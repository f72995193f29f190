#include "mime/detail/token.h"

#include "mime/fields/whitespace.h"

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{
namespace detail
{

size_t tokenEnd(const char* data, size_t size)
{
    size_t position;
    try
    {
        position = Whitespace(data, size, true).consumed();
    }
    catch (const std::runtime_error&)
    {
        return 0;
    }
    if (position == size) return position;
    return data[position] == ';' ? position + 1 : 0;
}

} // namespace detail
} // namespace Mime
} // namespace Kestrava
