#include "mime/fields/atom.h"

#include "mime/detail/ctype.h"
#include "mime/fields/whitespace.h"

#include <cstring>

namespace Kestrava
{
namespace Mime
{

namespace
{

bool endsAtom(char c)
{
    return c == '\0' || detail::isControl(c) || std::strchr(" \t()<>[]:;@\\,.\"", c) != nullptr;
}

} // namespace

Atom::Atom(const char* data, size_t size, bool cfws) : _data(data)
{
    if (cfws) _leading = Whitespace(data, size, true).consumed();
    size_t end = _leading;
    while (end < size && !endsAtom(data[end]))
    {
        if (!detail::isAscii(data[end])) _ascii = false;
        ++end;
    }
    if (cfws) _trailing = Whitespace(data + end, size - end, true).consumed();
    _consumed = end + _trailing;
}

} // namespace Mime
} // namespace Kestrava
