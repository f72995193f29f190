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
    // A line that starts with a blank continues the field before it; the
    // first of a head has none to continue (RFC 9112 section 2.2).
    if (size > 0 && detail::isBlank(data[0]))
        throw std::runtime_error("invalid character in http header");
    // The line ends at its line feed: a colon or a line end found past it
    // belongs to another field.
    const char* end = data + size;
    auto newline = static_cast<const char*>(memchr(data, '\n', size));
    auto colon = static_cast<const char*>(
        memchr(data, ':', static_cast<size_t>((newline != nullptr ? newline : end) - data)));
    if (colon == nullptr) throw std::runtime_error("colon is missing");

    // An obsolete line folding becomes blanks before the value is read (RFC
    // 9112 section 5.2), in the caller's writable head (see Header).
    while (newline != nullptr && end - newline > 1 && detail::isBlank(newline[1]))
    {
        auto fold = const_cast<char*>(newline);
        if (fold[-1] == '\r') fold[-1] = ' ';
        fold[0] = ' ';
        newline =
            static_cast<const char*>(memchr(fold + 1, '\n', static_cast<size_t>(end - fold - 1)));
    }
    if (newline == nullptr) throw std::runtime_error("end-of-line at http header missing");

    // Only blanks and tabs: skipping any white space would run over the CR LF
    // of an empty value and take the next line as its value.
    const char* value = colon + 1;
    while (value < newline && detail::isBlank(*value))
        ++value;
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
