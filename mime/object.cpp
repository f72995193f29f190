#include "mime/object.h"

#include "mime/capabilities.h"
#include "mime/errors.h"

#include <cstring>

namespace Kestrava
{
namespace Mime
{

Object::ExtHeader::ExtHeader(const char* data, size_t size)
{
    parse(data, size, true);
}

Object::ExtHeader::ExtHeader(const char* text)
{
    parse(text, text == nullptr ? 0 : std::strlen(text), false);
}

void Object::ExtHeader::parse(const char* data, size_t size, bool keepSeparator)
{
    if (data == nullptr || size == 0) throw FatalError("Empty header");
    size_t position = 0;
    for (;;)
    {
        try
        {
            Line line(data + position, size - position);
            _lines.push_back(line);
            position += line.size;
        }
        catch (const ParseError& error)
        {
            // A malformed line is dropped; the lines after it still count.
            position += error.size;
        }
        catch (const EmptyLine& blank)
        {
            position += blank.size;
            if (keepSeparator && blank.size == 2 && blank.data[0] == '\r') _separator = blank.data;
            break;
        }
    }
    _bytes = position;
}

Object::Object(const char* data, size_t size)
    : header(data, size), body(&header, data + header.bytes(), size - header.bytes())
{
}

Object::Object(const Part& part, size_t from)
    : header(part.data + from, part.start - from),
      body(&header, part.data + from + header.bytes(), part.start - from - header.bytes())
{
    body.boundary = Boundary(part.data + part.start, part.end - part.start);
}

Object::Object(const Body& body) : body(body)
{
    this->body.header = &header;
}

Object::Object(Body&& body) : body(std::move(body))
{
    this->body.header = &header;
}

Object::Object(const Object& other) : Encodable(other), header(other.header), body(other.body)
{
    body.header = &header;
    body.boundary = Boundary();
}

Object::Object(Object&& other)
    : Encodable(other), header(std::move(other.header)), body(std::move(other.body))
{
    body.header = &header;
    body.boundary = Boundary();
}

size_t Object::encode(const Capabilities& capabilities, Filter::Result* output, bool final) const
{
    size_t written = header.encode(capabilities, output, final);
    return written + body.encode(capabilities, output, final);
}

bool Object::encodable(const Capabilities& capabilities) const
{
    return capabilities.allowsUtf8 || body.encodable(capabilities);
}

void Object::repair(const Capabilities& capabilities)
{
    if (header.multipart())
    {
        for (auto& part : body.parts)
            part->repair(capabilities);
        return;
    }
    switch (ContentTransferEncoding::extract(header))
    {
    case ContentTransferEncoding::sevenBit:
        if (header.eightbit() || body.eightbit())
            header.set(ContentTransferEncoding(ContentTransferEncoding::quotedPrintable));
        break;
    case ContentTransferEncoding::eightBit:
        header.set(ContentTransferEncoding(ContentTransferEncoding::quotedPrintable));
        break;
    case ContentTransferEncoding::binary:
        header.set(ContentTransferEncoding(ContentTransferEncoding::base64));
        break;
    default:
        break;
    }
}

bool Object::fix(const Capabilities& capabilities)
{
    if (encodable(capabilities)) return true;
    // Changing the encoding would break the signature.
    if (header.contains("dkim-signature")) return false;
    repair(capabilities);
    return true;
}

} // namespace Mime
} // namespace Kestrava
