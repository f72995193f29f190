#include "mime/dkim/canonicalizedbody.h"

#include "filter/string.h"
#include "mime/body.h"

#include <algorithm>
#include <cstring>

namespace Kestrava
{
namespace Mime
{

namespace
{

bool isWsp(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

CanonicalizedBody::CanonicalizedBody(const Capabilities& capabilities, const Body& body,
                                     bool simple)
{
    std::string written;
    Filter::String sink(&written);
    body.encode(capabilities, &sink, false);
    canonicalize(written.data(), written.size(), simple);
}

CanonicalizedBody::CanonicalizedBody(const String& received, bool simple)
{
    canonicalize(received.data, received.size, simple);
}

void CanonicalizedBody::canonicalize(const char* data, size_t size, bool simple)
{
    // At most every byte and a CR before every LF, and the CR LF of an
    // empty body: written in place, then cut to what it took.
    _text.resize(2 * size + 2);
    char* out = &_text[0];
    // Empty lines are held back until a line with text follows: trailing
    // ones go (RFC 6376 3.4.3, 3.4.4).
    size_t emptyLines = 0;
    const char* position = data;
    const char* end = data + size;
    while (position < end)
    {
        auto found = static_cast<const char*>(std::memchr(position, '\n', end - position));
        const char* last = found ? found : end;
        const char* next = found ? found + 1 : end;
        if (found && last > position && last[-1] == '\r') --last;
        // Relaxed: blanks at the end of the line go, runs inside become one.
        if (!simple)
            while (last > position && isWsp(last[-1]))
                --last;
        if (last == position)
        {
            ++emptyLines;
            position = next;
            continue;
        }
        for (; emptyLines > 0; --emptyLines)
            out = std::copy_n("\r\n", 2, out);
        if (simple)
            out = std::copy(position, last, out);
        else
            while (position < last)
            {
                bool blank = isWsp(*position);
                if (blank) *out++ = ' ';
                while (position < last && isWsp(*position) == blank)
                {
                    if (!blank) *out++ = *position;
                    ++position;
                }
            }
        out = std::copy_n("\r\n", 2, out);
        position = next;
    }
    if (simple && out == &_text[0]) out = std::copy_n("\r\n", 2, out);
    _text.resize(static_cast<size_t>(out - &_text[0]));
}

} // namespace Mime
} // namespace Kestrava
