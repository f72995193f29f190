#include "mime/dkim/canonicalizedheader.h"

#include "filter/string.h"
#include "mime/detail/ctype.h"
#include "mime/line.h"

#include <cctype>

namespace Kestrava
{
namespace Mime
{

void CanonicalizedHeader::add(const Line& line)
{
    std::string text;
    Filter::String sink(&text);
    line.encode(capabilities, &sink, false);
    add(line.key().copy(), text.data(), text.size());
}

void CanonicalizedHeader::add(const std::string& name, const char* data, size_t size)
{
    fields.names.push_back(name);
    if (lines++ > 0) output += "\r\n";
    // The line's own break belongs to the separator, never doubled.
    while (size > 0 && (data[size - 1] == '\n' || data[size - 1] == '\r'))
        --size;
    // A bare LF (a text read with LF line ends) is a line break as the
    // parser reads it, and goes out as CR LF; a bare CR is a byte of text.
    std::string text;
    text.reserve(size);
    for (size_t i = 0; i < size; ++i)
    {
        if (data[i] == '\n' && (i == 0 || data[i - 1] != '\r')) text += '\r';
        text += data[i];
    }
    output += simple ? text : relaxed(text.data(), text.size());
}

std::string CanonicalizedHeader::relaxed(const char* data, size_t size)
{
    std::string result;
    size_t i = 0;
    for (; i < size && data[i] != ':'; ++i)
        result += static_cast<char>(tolower(static_cast<unsigned char>(data[i])));
    // White space before the colon goes too (RFC 6376 3.4.2).
    while (!result.empty() && detail::isBlank(result.back()))
        result.pop_back();
    result += ':';
    bool blank = false;
    bool started = false;
    for (++i; i < size; ++i)
    {
        char c = data[i];
        // Unfolding removes CR LF before white space, nothing else: a lone
        // CR or LF is text that was signed, and deleting it would let a
        // signed value turn into two fields once written.
        if (c == '\r' && i + 2 < size && data[i + 1] == '\n' && detail::isBlank(data[i + 2]))
        {
            ++i;
            continue;
        }
        // Only blanks and tabs are white space; a vertical tab or form feed
        // is text too.
        if (detail::isBlank(c))
        {
            blank = started;
            continue;
        }
        if (blank) result += ' ';
        result += c;
        blank = false;
        started = true;
    }
    return result;
}

} // namespace Mime
} // namespace Kestrava
