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
    // Written in place, then cut to what it took. A line never grows but
    // by the CR of a bare LF: room for the body and a last CR LF is enough
    // unless lines end in bare LFs, and more is made as those need it.
    _text.resize(size + 2);
    size_t written = 0;
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
        size_t needed = written + 2 * emptyLines + static_cast<size_t>(last - position) + 2;
        if (needed > _text.size()) _text.resize(std::max(needed, 2 * _text.size()));
        char* out = &_text[written];
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
        written = static_cast<size_t>(out - &_text[0]);
        position = next;
    }
    _text.resize(written);
    if (simple && _text.empty()) _text = "\r\n";
}

} // namespace Mime
} // namespace Kestrava
