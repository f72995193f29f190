#include "browse/header.h"

#include "browse/detail/contentlength.h"
#include "browse/detail/headlength.h"
#include "browse/detail/statusline.h"

#include <cstring>
#include <stdexcept>
#include <utility>

#include <strings.h>

namespace Kestrava
{
namespace Browse
{

namespace
{

using detail::isBlank;

/// Whether one of the comma-separated tokens of `value` is `token` (any
/// case); blanks around a token do not count.
bool listHas(const char* value, const char* token)
{
    size_t length = strlen(token);
    while (*value != '\0')
    {
        while (isBlank(*value))
            ++value;
        const char* end = strchr(value, ',');
        if (end == nullptr) end = value + strlen(value);
        const char* last = end;
        while (last > value && isBlank(last[-1]))
            --last;
        if (static_cast<size_t>(last - value) == length && strncasecmp(value, token, length) == 0)
            return true;
        value = *end == ',' ? end + 1 : end;
    }
    return false;
}

} // namespace

Header::Header(const char* data, size_t size, bool secure, bool copy) : _secure(secure)
{
    if (copy)
    {
        if (size_t length = detail::headLength(data, size)) size = length;
        _copy.reset(new char[size + 1]);
        memcpy(_copy.get(), data, size);
        _copy[size] = '\0';
        data = _copy.get();
    }
    _text = data;

    detail::Cursor cursor{data, size, 0};
    detail::Protocol protocol(cursor);
    detail::Number major(cursor);
    detail::Require dot(cursor, '.');
    detail::Number minor(cursor);
    detail::Whitespace afterVersion(cursor);
    detail::Number status(cursor);
    // RFC 9112 section 4: three digits; below 100 is no HTTP status.
    if (status.digits() != 3 || status.value() < 100)
        throw std::runtime_error("invalid status code");
    // Servers that send no reason phrase often drop its blank too
    // ("HTTP/1.1 204\r\n"); the code is all that is read.
    if (cursor.atEnd() || (cursor.current() != '\r' && cursor.current() != '\n'))
        detail::Whitespace afterStatus(cursor);
    detail::Rest reason(cursor);

    std::vector<Line> lines;
    while (!cursor.atEnd() && cursor.current() != '\n' && cursor.current() != '\r')
    {
        lines.emplace_back(data + cursor.position, size - cursor.position);
        cursor.position += lines.back().size();
    }
    size_t emptyLine = cursor.lineEnd();
    if (emptyLine == 0) throw std::runtime_error("empty line after header is missing");

    _position = cursor.position + emptyLine;
    _major = major.value();
    _minor = minor.value();
    _status = status.value();
    _lines = std::move(lines);
}

const char* Header::get(const char* name) const
{
    for (const Line& line : _lines)
        if (line.equals(name)) return line.value();
    return nullptr;
}

const char* Header::next(const char* value) const
{
    auto line = _lines.begin();
    while (line != _lines.end() && line->value() != value)
        ++line;
    if (line == _lines.end()) return nullptr;
    const char* name = line->name();
    for (++line; line != _lines.end(); ++line)
        if (line->equals(name)) return line->value();
    return nullptr;
}

size_t Header::contentLength() const
{
    const char* value = get("content-length");
    size_t length = 0;
    if (value == nullptr || !detail::parseContentLength(value, length)) return 0;
    return length;
}

bool Header::chunked() const
{
    // A second field codes the body once more, whatever it names.
    const char* value = get("transfer-encoding");
    if (value == nullptr || next(value) != nullptr) return false;
    size_t length = strlen(value);
    while (length > 0 && isBlank(value[length - 1]))
        --length;
    return length == 7 && strncasecmp(value, "chunked", 7) == 0;
}

bool Header::keepAlive() const
{
    // Every Connection field counts; "close" wins over "keep-alive".
    bool keep = false;
    for (const char* value = get("connection"); value != nullptr; value = next(value))
    {
        if (listHas(value, "close")) return false;
        keep = keep || listHas(value, "keep-alive");
    }
    if (keep) return true;
    return _major > 1 || (_major == 1 && _minor != 0);
}

} // namespace Browse
} // namespace Kestrava
