#include "mime/fields/formatting.h"

#include "mime/detail/ctype.h"

#include <cstring>

namespace Kestrava
{
namespace Mime
{

Formatting::Formatting(const char* data, size_t size)
{
    for (size_t i = 0; i < size; ++i)
    {
        if (data[i] == '.' && (i == 0 || i + 1 == size || data[i - 1] == '.'))
            add(allFlags & ~dottedAtomFlag);
        process(data[i]);
    }
}

void Formatting::process(char c)
{
    if (!detail::isAscii(c))
        add(atomFlag | phraseFlag | paramFlag | dottedAtomFlag);
    else if (detail::isAlnum(c))
        return;
    else if (c == '\0' || detail::isControl(c))
        add(0);
    else if (std::strchr("~`!#$%^&*-_+{}|'", c) != nullptr)
        return;
    else if (c == '.')
        add(asciiFlag | paramFlag | dottedAtomFlag);
    else if (c == ',')
        add(asciiFlag | paramFlag);
    else if (c == '/' || c == '?' || c == '=')
        add(asciiFlag | atomFlag | phraseFlag | dottedAtomFlag);
    else if (c == ' ')
        add(asciiFlag | phraseFlag);
    else
        add(asciiFlag);
}

} // namespace Mime
} // namespace Kestrava
