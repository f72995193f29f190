#include "mime/fields/comment.h"

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

Comment::Comment(const char* data, size_t size)
{
    if (size == 0 || data[0] != '(') return;
    size_t depth = 1;
    for (size_t i = 1; i < size; ++i)
    {
        switch (data[i])
        {
        case ')':
            if (--depth == 0)
            {
                _consumed = i + 1;
                return;
            }
            break;
        case '(':
            ++depth;
            break;
        case '\\':
            if (++i == size)
                throw std::runtime_error(
                    "invalid comment (escaped character missing after backslash)");
            break;
        default:
            break;
        }
    }
    throw std::runtime_error("unfinished comment");
}

} // namespace Mime
} // namespace Kestrava
