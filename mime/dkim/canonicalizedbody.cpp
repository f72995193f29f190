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
    size_t position = 0;
    while (position < size)
    {
        const void* found = std::memchr(data + position, '\n', size - position);
        size_t end = found ? static_cast<const char*>(found) - data : size;
        size_t next = found ? end + 1 : size;
        if (end > position && data[end - 1] == '\r' && found) --end;
        std::string line;
        if (simple)
            line.assign(data + position, end - position);
        else
        {
            bool blank = false;
            for (size_t i = position; i < end; ++i)
            {
                if (isWsp(data[i]))
                {
                    blank = true;
                    continue;
                }
                if (blank) line += ' ';
                blank = false;
                line += data[i];
            }
        }
        position = next;
        if (line.empty())
        {
            ++emptyLines;
            continue;
        }
        for (; emptyLines > 0; --emptyLines)
            _text += "\r\n";
        _text += line;
        _text += "\r\n";
    }
    if (simple && _text.empty()) _text = "\r\n";
}

} // namespace Mime
} // namespace Kestrava
