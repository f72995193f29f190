#include "mime/dkim/canonicalizedbody.h"

#include "filter/string.h"
#include "mime/body.h"

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
    _text.reserve(size + 2);
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
            _text += "\r\n";
        if (simple)
            _text.append(position, last - position);
        else
            while (position < last)
            {
                const char* run = position;
                while (run < last && !isWsp(*run))
                    ++run;
                _text.append(position, run - position);
                if (run == last) break;
                _text += ' ';
                while (isWsp(*run))
                    ++run;
                position = run;
            }
        _text += "\r\n";
        position = next;
    }
    if (simple && _text.empty()) _text = "\r\n";
}

} // namespace Mime
} // namespace Kestrava
