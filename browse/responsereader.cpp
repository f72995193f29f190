#include "browse/responsereader.h"

#include "browse/detail/chunksize.h"
#include "browse/detail/contentlength.h"
#include "browse/detail/headlength.h"
#include "browse/detail/statusline.h"
#include "browse/header.h"

#include <algorithm>
#include <cstring>

#include <strings.h>

namespace Kestrava
{
namespace Browse
{

namespace
{
constexpr size_t notFound = static_cast<size_t>(-1);

/// Whether every Content-Length field holds the same plain number; the
/// number in `length`. Differing values leave the body's end unknown.
bool agreedLength(const Header& header, const char* first, size_t& length)
{
    if (!detail::parseContentLength(first, length)) return false;
    for (const char* value = header.next(first); value != nullptr; value = header.next(value))
    {
        size_t other = 0;
        if (!detail::parseContentLength(value, other) || other != length) return false;
    }
    return true;
}

/// Whether chunked is the last transfer coding applied (RFC 9112 section
/// 6.3): the last item of the last Transfer-Encoding field, in any case.
bool chunkedLast(const Header& header)
{
    const char* last = nullptr;
    for (const char* value = header.get("transfer-encoding"); value != nullptr;
         value = header.next(value))
        last = value;
    if (last == nullptr) return false;
    const char* item = strrchr(last, ',');
    item = item != nullptr ? item + 1 : last;
    item += strspn(item, " \t");
    size_t length = strlen(item);
    while (length > 0 && (item[length - 1] == ' ' || item[length - 1] == '\t'))
        --length;
    return length == 7 && strncasecmp(item, "chunked", 7) == 0;
}
} // namespace

size_t ResponseReader::read(char* data, size_t size, bool more)
{
    size_t consumed = 0;
    while (consumed < size)
    {
        char* at = data + consumed;
        size_t left = size - consumed;
        size_t step = 0;
        switch (_state)
        {
        case State::Head:
            step = readHead(at, left);
            break;
        case State::ChunkSize:
            step = readChunkSize(at, left);
            break;
        case State::ChunkEnd:
            step = readChunkEnd(at, left);
            break;
        case State::Trailer:
            step = readTrailer(at, left);
            break;
        case State::ChunkData:
        case State::Counted:
        case State::UntilClose:
            step = readBody(at, left);
            break;
        case State::Complete:
        case State::Closed:
            return size;
        }
        if (_state == State::Closed) return size;
        consumed += step;
        if (_state == State::Complete)
        {
            complete(consumed < size || more);
            if (_state == State::Closed) return size;
        }
        if (step == 0) break;
    }
    return consumed;
}

size_t ResponseReader::readHead(char* data, size_t size)
{
    // Resume the search where the last one stopped, two bytes back for an
    // empty line split between two reads.
    size_t length = detail::headLength(data, size, _searched > 2 ? _searched - 2 : 0);
    if (length == 0)
    {
        _searched = size;
        if (size >= lineLimit) malformed();
        return 0;
    }
    _searched = 0;
    if (length > lineLimit)
    {
        malformed();
        return 0;
    }
    Framing framing = Framing::Malformed;
    try
    {
        Header header(data, length, _secure, false);
        _receiver->onHead(header);
        if (_state != State::Head) return length;
        // Interim responses (RFC 9112 section 6.3 item 1) are followed by the
        // final one.
        if (header.interim()) return length;
        framing = frame(header);
    }
    catch (...)
    {
    }
    switch (framing)
    {
    case Framing::None:
        _state = State::Complete;
        break;
    case Framing::Malformed:
        malformed();
        break;
    default:
        _state = static_cast<State>(framing);
    }
    return length;
}

ResponseReader::Framing ResponseReader::frame(const Header& header)
{
    // What follows a 101 is another protocol's.
    _last = header.status() == 101;
    // RFC 9112 section 6.3, in its order.
    if (_headRequest || header.status() < 200 || header.status() == 204 || header.status() == 304)
        return Framing::None;
    if (header.get("transfer-encoding") != nullptr)
    {
        // It overrides a Content-Length, and HTTP/1.0 does not know it: such
        // a head may be an attempt at smuggling a response, so its framing
        // serves this response only (RFC 9112 sections 6.1 and 6.3).
        bool http10 = header.major() < 1 || (header.major() == 1 && header.minor() == 0);
        _last = header.get("content-length") != nullptr || http10;
        return chunkedLast(header) ? Framing::Chunked : Framing::UntilClose;
    }
    if (const char* value = header.get("content-length"))
    {
        if (!agreedLength(header, value, _remaining)) return Framing::Malformed;
        return _remaining == 0 ? Framing::None : Framing::Counted;
    }
    // Neither length nor chunks: the server's close ends the body, on a
    // kept-alive connection too.
    return Framing::UntilClose;
}

size_t ResponseReader::lineLength(const char* data, size_t size)
{
    auto end = static_cast<const char*>(memchr(data, '\n', std::min(size, lineLimit)));
    if (end == nullptr && size >= lineLimit) malformed();
    return end == nullptr ? notFound : static_cast<size_t>(end - data);
}

size_t ResponseReader::readChunkSize(const char* data, size_t size)
{
    size_t length = lineLength(data, size);
    if (length == notFound) return 0;
    if (length == 0 || data[length - 1] != '\r' ||
        !detail::parseChunkSize(data, length - 1, _remaining))
    {
        malformed();
        return 0;
    }
    _state = _remaining == 0 ? State::Trailer : State::ChunkData;
    return length + 1;
}

size_t ResponseReader::readChunkEnd(const char* data, size_t size)
{
    if (size < 2) return 0;
    if (data[0] != '\r' || data[1] != '\n')
    {
        malformed();
        return 0;
    }
    _state = State::ChunkSize;
    return 2;
}

size_t ResponseReader::readTrailer(const char* data, size_t size)
{
    // Trailer fields carry nothing we use; the empty line ends the body. As
    // in a head, a bare LF ends a line (RFC 9112 section 2.2), and a NUL or
    // a stray CR refuses the response (RFC 9110 section 5.5).
    size_t length = lineLength(data, size);
    if (length == notFound) return 0;
    if (detail::holdsStrayControl(data, data + length))
    {
        malformed();
        return 0;
    }
    if (length == 0 || (length == 1 && data[0] == '\r')) _state = State::Complete;
    return length + 1;
}

size_t ResponseReader::readBody(const char* data, size_t size)
{
    size_t run = _state == State::UntilClose ? size : std::min(size, _remaining);
    if (_state != State::UntilClose) _remaining -= run;
    State state = _state;
    _receiver->onBody(data, run);
    if (_state != state || _remaining > 0) return run;
    if (_state == State::ChunkData)
        _state = State::ChunkEnd;
    else if (_state == State::Counted)
        _state = State::Complete;
    return run;
}

void ResponseReader::complete(bool excess)
{
    // Nothing is asked before an answer is complete, so bytes already
    // behind it answer nothing (RFC 9112 section 6.3): read as the next
    // request's answer they would put every later one a response behind.
    _state = excess || _last ? State::Closed : State::Head;
    _headRequest = false;
    _last = false;
    _receiver->onEnd();
}

void ResponseReader::malformed()
{
    _state = State::Closed;
    _receiver->onMalformed();
}

} // namespace Browse
} // namespace Kestrava
