#include "browse/line.h"

#include "browse/detail/statusline.h"

#include <cstring>
#include <stdexcept>

#include <strings.h>

namespace Kestrava
{
namespace Browse
{

Line::Line(const char* data, size_t size)
{
    // The line ends at its line feed: a colon or a line end found past it
    // belongs to another field.
    auto newline = static_cast<const char*>(memchr(data, '\n', size));
    const char* end = newline != nullptr ? newline : data + size;
    auto colon = static_cast<const char*>(memchr(data, ':', static_cast<size_t>(end - data)));
    if (colon == nullptr) throw std::runtime_error("colon is missing");

    // Only blanks and tabs: skipping any white space would run over the CR LF
    // of an empty value and take the next line as its value.
    const char* value = colon + 1;
    while (value < end && (*value == ' ' || *value == '\t'))
        ++value;
    if (newline == nullptr) throw std::runtime_error("end-of-line at http header missing");
    // Terminated at a NUL, a value would read shorter here than it was sent.
    if (detail::holdsStrayControl(data, newline))
        throw std::runtime_error("invalid character in http header");
    // A bare LF ends a line too (RFC 9112 section 2.2).
    const char* valueEnd = newline > value && newline[-1] == '\r' ? newline - 1 : newline;

    // The text is the caller's writable head (see Header).
    const_cast<char*>(colon)[0] = '\0';
    const_cast<char*>(valueEnd)[0] = '\0';
    _name = data;
    _nameSize = static_cast<size_t>(colon - data);
    _value = value;
    _valueSize = static_cast<size_t>(valueEnd - value);
    _size = static_cast<size_t>(newline - data) + 1;
}

bool Line::equals(const char* name) const
{
    return strcasecmp(_name, name) == 0;
}

} // namespace Browse
} // namespace Kestrava
