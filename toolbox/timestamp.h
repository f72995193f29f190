#pragma once

#include <cstddef>
#include <ctime>

namespace Kestrava {
namespace Httpd {

/**
 * A time as an HTTP date, "%a, %d %b %Y %H:%M:%S GMT", such as
 * "Thu, 01 Jan 1970 00:00:00 GMT". Formatted at construction; a time that
 * cannot be broken down gives the empty text.
 */
class Timestamp
{
public:
    /// Users pass time(nullptr).
    explicit Timestamp(time_t when);

    virtual ~Timestamp() = default;

    /// The text, NUL-terminated.
    const char* text() const { return _buffer; }

    /// The length of the text.
    size_t size() const { return _size; }

private:
    char _buffer[100] = {};
    size_t _size = 0;
};

} // namespace Httpd
} // namespace Kestrava
