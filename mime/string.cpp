#include "mime/string.h"

#include <strings.h>

namespace Kestrava
{
namespace Mime
{

bool IString::equals(const char* other, size_t length) const
{
    if (length != size) return false;
    return length == 0 || strncasecmp(data, other, length) == 0;
}

bool IString::operator==(const char* text) const
{
    return text != nullptr && equals(text, std::strlen(text));
}

} // namespace Mime
} // namespace Kestrava
