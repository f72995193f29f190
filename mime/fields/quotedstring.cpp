#include "mime/fields/quotedstring.h"

#include "mime/detail/ctype.h"

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

QuotedString::QuotedString(const char* data, size_t size)
{
    if (size == 0 || data[0] != '"') return;
    for (size_t i = 1; i < size; ++i)
    {
        char c = data[i];
        if (!detail::isAscii(c)) _nonAscii = true;
        if (c == '"')
        {
            _consumed = i + 1;
            return;
        }
        if (c == '\\')
        {
            // Unfolding comes first (RFC 5322 2.2.3): a fold right after
            // the backslash leaves it the blank that follows.
            size_t fold = i + 1;
            while (fold < size && (data[fold] == '\r' || data[fold] == '\n'))
                ++fold;
            if (fold > i + 1 && fold < size && detail::isBlank(data[fold])) i = fold - 1;
            if (++i == size)
                throw std::runtime_error(
                    "invalid quoted string (escaped character missing after backslash)");
            if (!detail::isAscii(data[i])) _nonAscii = true;
            _text.push_back(data[i]);
        }
        else if (c == '\r' || c == '\n')
            continue;
        else if (detail::isSpace(c))
            _text.push_back(' ');
        else
            _text.push_back(c);
    }
    throw std::runtime_error("unfinished quoted string");
}

} // namespace Mime
} // namespace Kestrava
