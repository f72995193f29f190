#include "mime/fields/contenttype.h"

#include "filter/wordwrap.h"
#include "mime/capabilities.h"
#include "mime/detail/ctype.h"
#include "mime/detail/headertext.h"
#include "mime/detail/skip.h"
#include "mime/detail/token.h"
#include "mime/detail/wrapped.h"
#include "mime/empty.h"

#include <strings.h>

#include <cstring>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

bool sameText(const char* data, size_t size, const char* name)
{
    return std::strlen(name) == size && strncasecmp(data, name, size) == 0;
}

} // namespace

ContentType::Type::Type(const char* data, size_t size)
{
    size_t i = 0;
    while (i < size && detail::isSpace(data[i]))
        ++i;
    if (i == size) throw std::runtime_error("no maintype in content-type");
    if (data[i] == ';') throw std::runtime_error("no subtype in content-type");
    _data = data + i;
    for (; i < size; ++i)
    {
        char c = data[i];
        if (c == ';') break;
        if (c == '/')
        {
            if (_sub != nullptr)
                throw std::runtime_error("only one slash can be used in a content-type");
            _sub = data + i + 1;
            continue;
        }
        if (detail::isSpace(c))
        {
            // CFWS may follow the token (RFC 2045), not split it.
            size_t end = detail::tokenEnd(data + i, size - i);
            if (end == 0) throw std::runtime_error("invalid content-type");
            _size = data + i - _data;
            _consumed = i + end;
            _comments = detail::commentsIn(data + i, end);
            break;
        }
        if (!detail::isAscii(c) || detail::isControl(c))
            throw std::runtime_error("invalid content-type");
    }
    if (_consumed == 0)
    {
        _size = data + i - _data;
        _consumed = i < size ? i + 1 : i;
    }
    if (_sub == nullptr || _sub == _data + _size)
        throw std::runtime_error("no subtype in content-type");
}

bool ContentType::Type::main(const char* name) const
{
    return sameText(_data, _sub - 1 - _data, name);
}

bool ContentType::Type::sub(const char* name) const
{
    return sameText(_sub, _data + _size - _sub, name);
}

bool ContentType::Type::equals(const char* name) const
{
    return sameText(_data, _size, name);
}

ContentType::ContentType(const char* data, size_t size, bool strict)
    : _type(data, size), _params(data + _type.consumed(), size - _type.consumed(), true)
{
    if (strict && _type.main("multipart") && !_params.parameter("boundary"))
        throw std::runtime_error("boundary missing for content-type: " + std::string(data, size));
}

const std::string& ContentType::boundary() const
{
    std::shared_ptr<Param> boundary = _params.parameter("boundary");
    return boundary ? boundary->value().raw() : empty_string();
}

const char* ContentType::defaultName() const
{
    struct Entry
    {
        const char* main;
        const char* sub;
        const char* name;
    };
    static const Entry table[] = {
        {"text", "html", "index.html"},
        {"text", "text", "index.txt"},
        {"image", "gif", "image.gif"},
        {"image", "jpg", "image.jpg"},
        {"image", "jpeg", "image.jpg"},
        {"image", "png", "image.png"},
        {"image", "svg+xml", "image.svg"},
        {"video", "avi", "video.avi"},
        {"video", "mp4", "video.mp4"},
        {"application", "x-zip-compressed", "compressed.zip"},
        {"application", "zip", "compressed.zip"},
        {"application", "gzip", "compressed.gz"},
    };
    for (const Entry& entry : table)
        if (_type.main(entry.main) && _type.sub(entry.sub)) return entry.name;
    return nullptr;
}

size_t ContentType::encode(const Capabilities& capabilities, Filter::Result* output,
                           bool final) const
{
    size_t written = output->append(_type.data(), _type.size(), final);
    written += detail::writeComments(_type.comments(), capabilities.allowsUtf8, output);
    return written + _params.encode(capabilities, output, final);
}

size_t ContentType::encode(const Capabilities& capabilities, Filter::LineLength* output,
                           bool final) const
{
    return detail::wrapped(*this, capabilities, output, final);
}

} // namespace Mime
} // namespace Kestrava
