#pragma once

#include "browse/line.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace Kestrava
{
namespace Browse
{

/**
 * The head of an HTTP/1.x response: status line and header fields, up to
 * the empty line, parsed in place.
 *
 * The parse writes terminators into the text: names and values are
 * terminated texts into it. Parsed in place, the caller's bytes must be
 * writable and outlive the Header; copied, the Header owns its text.
 * Movable (the text stays where it is), not copyable.
 */
class Header
{
public:
    /// Parses the head at the start of the `size` bytes of `data`. With
    /// `copy` the head (up to and including its empty line, or all `size`
    /// bytes when there is none) is copied first. Throws std::runtime_error
    /// "Unrecognized HTTP header", "number missing", "whitespace missing",
    /// "newline missing", "empty line after header is missing", "colon is
    /// missing", "end-of-line at http header missing", "invalid status
    /// code" (not three digits from 100) or "invalid character in http
    /// header" (a NUL, a CR that does not end a line, or a blank that
    /// starts the first field line). Folded field values are unfolded in
    /// the text.
    Header(const char* data, size_t size, bool secure, bool copy);
    Header(Header&&) = default;
    Header& operator=(Header&&) = default;
    virtual ~Header() = default;

    int status() const { return _status; }
    /// An interim response (1xx but 101 Switching Protocols, which ends
    /// HTTP on the connection): the final one follows it.
    bool interim() const { return _status < 200 && _status != 101; }
    int major() const { return _major; }
    int minor() const { return _minor; }
    /// Whether the connection's certificate passed the strict check.
    bool secure() const { return _secure; }
    /// The bytes of the head, its empty line included.
    size_t size() const { return _position; }
    /// The parsed head: the caller's bytes or the copy, with the terminators
    /// the parse wrote.
    const char* text() const { return _text; }
    const std::vector<Line>& lines() const { return _lines; }

    /// The value of the first field named `name` (any case), or null.
    const char* get(const char* name) const;
    /// The value of the next field with the name of the field whose value
    /// pointer is `value` (as returned by get or next), or null.
    const char* next(const char* value) const;

    /// The Content-Length as a number; 0 when absent or not a plain number
    /// that fits.
    size_t contentLength() const;
    /// Whether the Transfer-Encoding is exactly "chunked", in one field.
    bool chunked() const;
    /// Whether the server keeps the connection open after this response.
    bool keepAlive() const;

private:
    /// Our copy of the head; null when parsed in place.
    std::unique_ptr<char[]> _copy;
    const char* _text;
    size_t _position = 0;
    bool _secure;
    int _major = 0;
    int _minor = 0;
    int _status = 0;
    std::vector<Line> _lines;
};

} // namespace Browse
} // namespace Kestrava
