#include "mime/detail/skip.h"

#include "mime/comment.h"
#include "mime/quotedstring.h"

#include <cstring>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{
namespace detail
{

size_t skipItem(const char* data, size_t size, const char* delimiters)
{
    size_t position = 0;
    try
    {
        while (position < size && std::strchr(delimiters, data[position]) == nullptr)
        {
            if (data[position] == '"')
                position += QuotedString(data + position, size - position).consumed();
            else if (data[position] == '(')
                position += Comment(data + position, size - position).consumed();
            else
                ++position;
        }
    }
    catch (const std::runtime_error&)
    {
        return size;
    }
    return position;
}

} // namespace detail
} // namespace Mime
} // namespace Kestrava
