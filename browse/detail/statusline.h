#pragma once

#include <cstddef>

namespace Kestrava
{
namespace Browse
{
namespace detail
{

/// A blank of a head: space or tab.
inline bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

/// The position of the status line's readers in the head.
struct Cursor
{
    const char* data;
    size_t size;
    size_t position;

    bool atEnd() const { return position >= size; }
    char current() const { return data[position]; }
    /// The bytes of the line end at the position: 2 for CR LF, 1 for a bare
    /// LF (RFC 9112 section 2.2), 0 for none.
    size_t lineEnd() const
    {
        if (atEnd()) return 0;
        if (data[position] == '\n') return 1;
        if (size - position >= 2 && data[position] == '\r' && data[position + 1] == '\n') return 2;
        return 0;
    }
};

/// "HTTP/", upper case; else "Unrecognized HTTP header".
class Protocol
{
public:
    explicit Protocol(Cursor& cursor);
};

/// One or more decimal digits; else "number missing". A value too large
/// for an int is held at the largest one.
class Number
{
public:
    explicit Number(Cursor& cursor);
    int value() const { return _value; }
    size_t digits() const { return _digits; }

private:
    int _value = 0;
    size_t _digits = 0;
};

/// One given byte; else "Unrecognized HTTP header".
class Require
{
public:
    Require(Cursor& cursor, char expected);
};

/// One or more blanks or tabs, all skipped; else "whitespace missing".
class Whitespace
{
public:
    explicit Whitespace(Cursor& cursor);
};

/// Whether the text of a line up to its line feed at `end` holds a NUL or
/// a CR that is not the one before that line feed: either would make a
/// value read differently by different readers (RFC 9110 section 5.5, RFC
/// 9112 section 2.2).
bool holdsStrayControl(const char* begin, const char* end);

/// The rest of the line and its line feed; else "newline missing"; a NUL
/// or a stray CR in it gives "invalid character in http header".
class Rest
{
public:
    explicit Rest(Cursor& cursor);
};

} // namespace detail
} // namespace Browse
} // namespace Kestrava
