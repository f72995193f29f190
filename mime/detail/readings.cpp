#include "mime/detail/readings.h"

#include "filter/string.h"
#include "mime/capabilities.h"
#include "mime/detail/ctype.h"
#include "mime/object.h"

#include <strings.h>

#include <stdexcept>
#include <string>

namespace Kestrava
{
namespace Mime
{
namespace detail
{

namespace
{

/// Whether a text not taken apart here, in which readers may find parts,
/// holds a field that labels one 8bit or binary: for all that can be told,
/// that one is a multipart or a message. A lone CR ends a line too.
bool labelInside(const char* data, size_t size)
{
    static const char name[] = "content-transfer-encoding:";
    const size_t length = sizeof(name) - 1;
    for (size_t at = 0; at < size;)
    {
        size_t end = at;
        while (end < size && data[end] != '\r' && data[end] != '\n')
            ++end;
        if (end - at > length && strncasecmp(data + at, name, length) == 0)
        {
            size_t value = at + length;
            while (value < end && detail::isBlank(data[value]))
                ++value;
            if ((end - value >= 4 && strncasecmp(data + value, "8bit", 4) == 0) ||
                (end - value >= 6 && strncasecmp(data + value, "binary", 6) == 0))
                return true;
        }
        at = end + 1;
    }
    return false;
}

} // namespace

std::optional<ContentType::Type> typeOf(const Header& header)
{
    const Value& value = header.get("content-type");
    // Most parts have none: no exception is thrown for them.
    if (value.size == 0) return std::nullopt;
    try
    {
        return ContentType::Type(value.data, value.size);
    }
    catch (const std::runtime_error&)
    {
        return std::nullopt;
    }
}

bool compositeAnyway(const Header& header, const std::optional<ContentType::Type>& type)
{
    if (type) return false;
    std::string text = header.get("content-type").copy();
    size_t slash = text.find('/');
    if (slash == std::string::npos || text.find(';') < slash) return false;
    size_t end = slash;
    while (end > 0 && detail::isSpace(text[end - 1]))
        --end;
    std::string main = text.substr(0, end);
    return strcasecmp(main.c_str(), "multipart") == 0 || strcasecmp(main.c_str(), "message") == 0;
}

bool embedsMessage(const Header& header, const std::optional<ContentType::Type>& type,
                   bool inDigest)
{
    if (!header.contains("content-type")) return inDigest;
    return type && type->main("message") &&
           (type->sub("rfc822") || type->sub("global") || type->sub("news"));
}

bool knownEncoding(const Header& header)
{
    const Value& value = header.get("content-transfer-encoding");
    if (value.size == 0) return true;
    try
    {
        ContentTransferEncoding::parse(value.data, value.size);
        return true;
    }
    catch (const std::runtime_error&)
    {
        return false;
    }
}

bool decodesAlike(const Header& header, const Body& body)
{
    HeaderIterator field = header.find("content-transfer-encoding");
    if (field != header.end())
    {
        const char* end = field->data + field->size;
        for (const char* c = field->value().data; c < end; ++c)
            if (!detail::isAlnum(*c) && *c != '-' && *c != '\r' && *c != '\n') return false;
    }
    const char* data = body.data;
    size_t size = body.size - body.delimiterBreak;
    if (body.encoding.value == ContentTransferEncoding::quotedPrintable)
    {
        for (size_t i = 0; i + 1 < size; ++i)
            if (data[i] == '=' && (data[i + 1] == '=' || detail::isBlank(data[i + 1])))
                return false;
        return true;
    }
    if (body.encoding.value != ContentTransferEncoding::base64) return true;
    // Characters of the alphabet in the last quantum; padding that completes
    // one ends the text, any other goes unseen.
    size_t quantum = 0, pads = 0;
    for (size_t i = 0; i < size; ++i)
    {
        char c = data[i];
        if (c == '=')
        {
            if (quantum >= 2 && quantum + ++pads >= 4) return true;
        }
        else if (detail::isAlnum(c) || c == '+' || c == '/')
        {
            quantum = (quantum + 1) % 4;
            pads = 0;
        }
    }
    return quantum != 1;
}

int lineEncoding(const Header& header, const Body& body)
{
    std::optional<ContentType::Type> type = typeOf(header);
    bool text = !header.contains("content-type") || (type && type->main("text"));
    size_t size = body.size - body.delimiterBreak;
    for (size_t i = 0; !text && i < size; ++i)
    {
        bool crlf = body.data[i] == '\r' && i + 1 < size && body.data[i + 1] == '\n';
        if (crlf)
            ++i;
        else if (body.data[i] == '\r' || body.data[i] == '\n')
            return ContentTransferEncoding::base64;
    }
    return ContentTransferEncoding::quotedPrintable;
}

bool asRead(const Encodable& element, const Capabilities& capabilities)
{
    std::string text;
    Filter::String sink(&text);
    element.encode(capabilities, &sink, true);
    return text == element.str(true);
}

bool arcFieldsAsRead(const Header& header, const Capabilities& capabilities)
{
    for (const Line& line : header)
        if (line.key().matches(
                {"arc-seal", "arc-message-signature", "arc-authentication-results"}) &&
            !asRead(line, capabilities))
            return false;
    return true;
}

bool eightBitLabel(const Header& header)
{
    int encoding = ContentTransferEncoding::extract(header);
    return encoding == ContentTransferEncoding::eightBit ||
           encoding == ContentTransferEncoding::binary;
}

std::shared_ptr<Object> embeddedMessage(const Body& body)
{
    if (body.size == body.delimiterBreak) return nullptr;
    return std::make_shared<Object>(body.data, body.size,
                                    Boundary::missing(body.delimiterBreak > 0));
}

bool readableMessage(const Header& header)
{
    int encoding = ContentTransferEncoding::extract(header);
    return encoding != ContentTransferEncoding::quotedPrintable &&
           encoding != ContentTransferEncoding::base64 && knownEncoding(header);
}

bool labelsHold(const Object& object, const Capabilities& capabilities, bool inDigest, size_t depth)
{
    if (depth > repairDepth) return false;
    const Header& header = object.header;
    std::optional<ContentType::Type> type = typeOf(header);
    bool multipart = type && type->main("multipart");
    bool message = embedsMessage(header, type, inDigest);
    bool anyway = compositeAnyway(header, type);
    if ((message || multipart || (type && type->main("message")) || anyway) &&
        eightBitLabel(header))
        return false;
    bool unsplit = (multipart && object.body.parts.empty()) || anyway;
    if (unsplit && labelInside(object.body.data, object.body.size)) return false;
    if (multipart && type->sub("signed") && !object.body.parts.empty() &&
        !asRead(*object.body.parts.front(), capabilities))
        return false;
    // A first fragment opens the message it carries (RFC 2046 5.2.2), which
    // readers take for one; what it says there cannot be repaired.
    bool fragment = type && type->main("message") && type->sub("partial");
    if ((message || fragment) && readableMessage(header))
    {
        std::shared_ptr<Object> inner =
            object.body.message ? object.body.message : embeddedMessage(object.body);
        return !inner || labelsHold(*inner, capabilities, false, depth + 1);
    }
    bool digest = multipart && type->sub("digest");
    for (const Object& part : object.body)
        if (!labelsHold(part, capabilities, digest, depth + 1)) return false;
    return true;
}

} // namespace detail
} // namespace Mime
} // namespace Kestrava
