#include "mime/detail/skip.h"

#include "mime/fields/comment.h"
#include "mime/fields/quotedstring.h"

#include <cstring>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{
namespace detail
{

bool inList(const char* list, char c)
{
    return c != '\0' && std::strchr(list, c) != nullptr;
}

size_t skipItem(const char* data, size_t size, const char* delimiters)
{
    size_t position = 0;
    try
    {
        while (position < size && !inList(delimiters, data[position]))
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

std::string commentsIn(const char* data, size_t size)
{
    std::string comments;
    try
    {
        for (size_t i = 0; i < size; ++i)
        {
            if (data[i] != '(') continue;
            size_t length = Comment(data + i, size - i).consumed();
            comments += ' ';
            comments.append(data + i, length);
            i += length - 1;
        }
    }
    catch (const std::runtime_error&)
    {
    }
    return comments;
}

} // namespace detail
} // namespace Mime
} // namespace Kestrava
