#include "browse/fixedheaders.h"

#include <cstring>

#include <strings.h>

namespace Kestrava
{
namespace Browse
{

namespace
{
/// Whether the line is a field that only the origin it was meant for may
/// see: its credentials, and the Host naming it.
bool originOnly(const char* line, size_t size)
{
    for (const char* name : {"authorization", "proxy-authorization", "cookie", "host"})
    {
        size_t length = strlen(name);
        if (size <= length || strncasecmp(line, name, length) != 0) continue;
        size_t colon = length + strspn(line + length, " \t");
        if (colon < size && line[colon] == ':') return true;
    }
    return false;
}
} // namespace

void FixedHeaders::add(const char* line)
{
    size_t size = strlen(line);
    _text.append(line, size).append("\r\n");
    if (!originOnly(line, size)) _foreign.append(line, size).append("\r\n");
    _host = _host || isHostLine(line, size);
}

bool FixedHeaders::isHostLine(const char* line, size_t size)
{
    return size >= 5 && strncasecmp(line, "host:", 5) == 0;
}

} // namespace Browse
} // namespace Kestrava
