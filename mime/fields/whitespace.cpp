#include "mime/fields/whitespace.h"

#include "mime/fields/comment.h"
#include "mime/detail/ctype.h"

namespace Kestrava
{
namespace Mime
{

Whitespace::Whitespace(const char* data, size_t size, bool comments)
{
    while (_consumed < size)
    {
        char c = data[_consumed];
        if (detail::isSpace(c))
            ++_consumed;
        else if (c == '(' && comments)
            _consumed += Comment(data + _consumed, size - _consumed).consumed();
        else
            break;
    }
}

} // namespace Mime
} // namespace Kestrava
