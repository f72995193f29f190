#include "browse/fixedheaders.h"

#include <cstring>

#include <strings.h>

namespace Kestrava
{
namespace Browse
{

void FixedHeaders::add(const char* line)
{
    size_t size = strlen(line);
    _text.append(line, size).append("\r\n");
    _host = _host || isHostLine(line, size);
}

bool FixedHeaders::isHostLine(const char* line, size_t size)
{
    return size >= 5 && strncasecmp(line, "host:", 5) == 0;
}

} // namespace Browse
} // namespace Kestrava
