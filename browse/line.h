#pragma once

#include <cstddef>

namespace Kestrava
{
namespace Browse
{

/**
 * One header field of a response head, parsed in place.
 *
 * The colon and the line end (its CR, or a bare LF) are overwritten with
 * terminators, and the line ends inside a folded value with blanks, so
 * name and value are terminated texts into the parsed head, valid as long
 * as it is.
 */
class Line
{
public:
    /// Parses the field line at the start of `data` (at most `size` bytes,
    /// which must be writable), with the lines that continue it (obsolete
    /// line folding, whose line ends become blanks). Throws
    /// std::runtime_error "colon is missing", "end-of-line at http header
    /// missing" or, for a NUL, a CR that does not end the line or a blank
    /// that starts it, "invalid character in http header".
    Line(const char* data, size_t size);
    virtual ~Line() = default;

    const char* name() const { return _name; }
    size_t nameSize() const { return _nameSize; }
    const char* value() const { return _value; }
    size_t valueSize() const { return _valueSize; }

    /// The bytes of the line with its line end.
    size_t size() const { return _size; }

    /// Whether the name equals `name` ignoring case.
    bool equals(const char* name) const;

private:
    const char* _name;
    size_t _nameSize;
    const char* _value;
    size_t _valueSize;
    size_t _size;
};

} // namespace Browse
} // namespace Kestrava
