#include "mime/detail/headertext.h"

#include "filter/mimeheaderdecode.h"
#include "filter/string.h"
#include "mime/detail/ctype.h"

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{
namespace detail
{

std::string decodeWords(const char* data, size_t size)
{
    std::string text;
    Filter::String sink(&text);
    Filter::MimeHeaderDecode decoder("utf-8", &sink);
    decoder.process(data, size, false);
    decoder.flush();
    return text;
}

std::string decodeWordsOrKeep(const char* data, size_t size)
{
    try
    {
        return decodeWords(data, size);
    }
    catch (const std::runtime_error&)
    {
        return std::string(data, size);
    }
}

std::string quote(const std::string& text)
{
    std::string quoted("\"");
    for (char c : text)
    {
        // A reader unfolds raw line breaks in a quoted string and makes any
        // other white space a blank; a line break cannot stand in a header
        // line at all, so it becomes a blank (left out, it could empty a
        // group's name and lose the group), the rest comes back as it was
        // once escaped.
        if (c == '\r' || c == '\n')
        {
            quoted.push_back(' ');
            continue;
        }
        if (c == '\\' || c == '"' || (c != ' ' && isSpace(c))) quoted.push_back('\\');
        quoted.push_back(c);
    }
    quoted.push_back('"');
    return quoted;
}

} // namespace detail
} // namespace Mime
} // namespace Kestrava
