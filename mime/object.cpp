#include "mime/object.h"

#include "filter/string.h"
#include "mime/capabilities.h"
#include "mime/detail/ctype.h"
#include "mime/detail/readings.h"
#include "mime/detail/sevenbit.h"
#include "mime/errors.h"
#include "mime/fields/contenttype.h"
#include "mime/fields/formatting.h"

#include <strings.h>

#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace Kestrava
{
namespace Mime
{

namespace
{

void label(Header& header, int encoding)
{
    // Some readers (Python's email) end the block at a name with blanks
    // before its colon (RFC 5322 4.5.x): a field added after it would be
    // text to them, so a new one goes in front.
    bool spaced = false;
    for (const Line& line : header)
        spaced = spaced || (line.key().valueStart > 0 && line.key().data[line.key().size] != ':');
    if (spaced && !header.contains("content-transfer-encoding"))
        header.prepend("Content-Transfer-Encoding", ContentTransferEncoding(encoding));
    else
        header.set(ContentTransferEncoding(encoding));
}

/// Whether a line that is no field is one mail readers read past: an mbox
/// "From " line, or where it opens the block, a continuation line.
bool readPast(const char* data, size_t size, bool opening)
{
    if (size >= 5 && std::memcmp(data, "From ", 5) == 0) return true;
    return opening && size > 0 && detail::isBlank(data[0]);
}

/// The bytes of the line break at the start of the text, 0 for none: there
/// a Line would throw EmptyLine.
size_t breakAtStart(const char* data, size_t size)
{
    if (size == 0 || (data[0] != '\r' && data[0] != '\n')) return 0;
    return data[0] == '\r' && size > 1 && data[1] == '\n' ? 2 : 1;
}

/// Whether a header block ends where the text starts, without a blank line.
bool startsBody(const std::string& text)
{
    if (text.empty()) return true;
    if (readPast(text.data(), text.size(), true)) return false;
    try
    {
        Line line(text.data(), text.size());
        return false;
    }
    catch (const ParseError&)
    {
        return true;
    }
    catch (const EmptyLine&)
    {
        return false;
    }
}

/// Whether the field holds the boundary as every reader takes it: right
/// after "boundary=", quoted, or bare where a strict reader takes it whole.
bool plainBoundary(const Value& value, const std::string& boundary)
{
    std::string text = value.copy();
    Formatting formatting(boundary.data(), boundary.size());
    bool bare = formatting.param() && boundary.find_first_of(",=") == std::string::npos;
    for (size_t at = 0; at + 9 <= text.size(); ++at)
    {
        if (strncasecmp(text.data() + at, "boundary=", 9) != 0) continue;
        if (at > 0 && !detail::isSpace(text[at - 1]) && text[at - 1] != ';') continue;
        std::string rest = text.substr(at + 9);
        size_t end = 0;
        if (rest.compare(0, boundary.size() + 2, '"' + boundary + '"') == 0)
            end = boundary.size() + 2;
        else if (bare && rest.compare(0, boundary.size(), boundary) == 0)
            end = boundary.size();
        else
            continue;
        if (end == rest.size() || rest[end] == ';' || detail::isSpace(rest[end])) return true;
    }
    return false;
}

/// Rewrites the Content-Type of a multipart whose boundary stands in a form
/// that some readers do not take (blanks or a fold around "=", an "=" in a
/// bare value, RFC 2231 sections or charsets): they would not split the body
/// where its parts were repaired.
void rewriteBoundary(Header& header)
{
    const Value& value = header.get("content-type");
    try
    {
        ContentType type(value.data, value.size, true);
        if (!plainBoundary(value, type.boundary())) header.set(type);
    }
    catch (const std::runtime_error&)
    {
    }
}

} // namespace

Object::ExtHeader::ExtHeader(const char* data, size_t size, bool part)
{
    if (!part && (data == nullptr || size == 0)) throw FatalError("Empty header");
    parse(data, size, true);
}

Object::ExtHeader::ExtHeader(const char* text)
{
    if (text == nullptr || *text == '\0') throw FatalError("Empty header");
    parse(text, std::strlen(text), false);
}

void Object::ExtHeader::parse(const char* data, size_t size, bool keepSeparator)
{
    size_t position = 0;
    for (;;)
    {
        // The end of the block, told apart without the exception a Line
        // would throw there: every message has one.
        size_t blank = breakAtStart(data + position, size - position);
        if (position == size || blank > 0)
        {
            EmptyLine end(data + position, blank);
            position += end.size;
            _blankLine = end.size > 0;
            if (keepSeparator && end.size == 2 && end.data[0] == '\r') _separator = end.data;
            break;
        }
        try
        {
            Line line(data + position, size - position);
            _lines.push_back(line);
            position += line.size;
        }
        catch (const ParseError& error)
        {
            // Any other line that is no field ends the block, with no blank
            // line: the body starts there, as mail readers take it.
            if (!readPast(data + position, size - position, _lines.empty()))
            {
                _blankLine = false;
                break;
            }
            // What opens the block stays in front of every field, where no
            // field put in front can take it as its continuation.
            if (_lines.empty())
                _lead = Line::unnamed(data, position + error.size);
            else
                _lines.push_back(Line::unnamed(data + position, error.size));
            position += error.size;
        }
    }
    _bytes = position;
}

Object::Object(const char* data, size_t size)
    : header(data, size), body(&header, data + header.bytes(), size - header.bytes())
{
}

Object::Object(const char* data, size_t size, const Boundary& boundary)
    : header(data, size, true),
      body(&header, data + header.bytes(), size - header.bytes(), boundary.delimited)
{
    body.boundary = boundary;
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
    size_t written = header.lead() ? header.lead()->encode(capabilities, output, final) : 0;
    // An edited block gets the blank line it lacked: where it had no field
    // at all, a field put there would otherwise run into the body.
    if (header.blankLine() || header.edited())
    {
        written += header.encode(capabilities, output, final);
        return written + body.encode(capabilities, output, final);
    }
    // A block read without its blank line goes out without one where a
    // reader still ends it at the same place: nothing follows, or what
    // follows starts with a line that is no field and not read past.
    std::string text;
    Filter::String sink(&text);
    body.encode(capabilities, &sink, false);
    written += startsBody(text) ? header.encodeLines(capabilities, output, final)
                                : header.encode(capabilities, output, final);
    return written + output->append(text.data(), text.size(), false);
}

bool Object::encodable(const Capabilities& capabilities) const
{
    return capabilities.allowsUtf8 || body.encodable(capabilities);
}

void Object::repair(const Capabilities& capabilities)
{
    repair(capabilities, false, 0);
}

void Object::repair(const Capabilities& capabilities, bool inDigest, size_t depth)
{
    // Deeper than that the object is left as it is: repairing descends
    // into each level, and a hostile nesting must not overrun the stack.
    if (depth > detail::repairDepth) return;
    int encoding = ContentTransferEncoding::extract(header);
    std::optional<ContentType::Type> type = detail::typeOf(header);
    bool multipart = type && type->main("multipart");
    bool messageType = type && type->main("message");
    bool message = detail::embedsMessage(header, type, inDigest);
    if (multipart && header.multipart())
    {
        bool digest = type->sub("digest");
        // The signature of a signed multipart covers its first part as it
        // stands (RFC 1847 2.1): that one is never repaired.
        size_t first = type->sub("signed") ? 1 : 0;
        // May set the field anew, which the type views: not used after it.
        rewriteBoundary(header);
        for (size_t i = first; i < body.parts.size(); ++i)
            body.parts[i]->repair(capabilities, digest, depth + 1);
    }
    // A multipart is not encoded itself and carries only what its parts
    // carry (RFC 2045 6.4): split, any other label is wrong.
    if (multipart && !body.parts.empty())
    {
        if (encoding != ContentTransferEncoding::sevenBit)
            label(header, ContentTransferEncoding::sevenBit);
        return;
    }
    if (message)
    {
        repairMessage(capabilities, depth);
        return;
    }
    // Unsplit (no delimiter found or none readable), a multipart stays one
    // text, which encoded as one block would show its delimiters and fields
    // as text; another message type may not be encoded either (RFC 2045
    // 6.4), nor one whose type does not read but names one. It goes as it
    // is: only a label it does not need may go.
    if (multipart || messageType || detail::compositeAnyway(header, type))
    {
        if (detail::eightBitLabel(header) && body.fits(capabilities))
            label(header, ContentTransferEncoding::sevenBit);
        return;
    }
    // What cannot be decoded here cannot be encoded anew either.
    if (!detail::knownEncoding(header)) return;
    switch (encoding)
    {
    case ContentTransferEncoding::sevenBit:
        // The bytes, not the label: inside an 8-bit message a body without
        // a label of its own holds 8-bit bytes as well.
        if (header.eightbit() || !body.fits(capabilities))
            label(header, detail::lineEncoding(header, body));
        break;
    case ContentTransferEncoding::eightBit:
        label(header, detail::lineEncoding(header, body));
        break;
    case ContentTransferEncoding::binary:
        label(header, ContentTransferEncoding::base64);
        break;
    default:
        // Raw 8-bit bytes or long lines under an encoding's own label.
        if (!body.fits(capabilities) && detail::decodesAlike(header, body)) body.reencode = true;
        break;
    }
}

void Object::repairMessage(const Capabilities& capabilities, size_t depth)
{
    if (!detail::readableMessage(header)) return;
    if (!body.message)
    {
        std::shared_ptr<Object> message = detail::embeddedMessage(body);
        // Left as it is where nothing in it needs repairing; an empty
        // message carries nothing 8-bit.
        if (!message || (!detail::eightBitLabel(header) && body.fits(capabilities) &&
                         detail::labelsHold(*message, capabilities, false, depth + 1)))
        {
            if (detail::eightBitLabel(header)) label(header, ContentTransferEncoding::sevenBit);
            return;
        }
        // Its own signature would break.
        if (message->header.contains("dkim-signature")) return;
        body.message = message;
    }
    body.message->repair(capabilities, false, depth + 1);
    label(header, ContentTransferEncoding::sevenBit);
}

bool Object::fix(const Capabilities& capabilities)
{
    if (capabilities.allowsUtf8) return true;
    // Any change would break the signature, a field folded or encoded anew
    // on the way out as much as a new encoding: it goes as read, or not.
    if (header.contains("dkim-signature"))
        return goesOut(capabilities) && detail::asRead(*this, capabilities);
    if (!goesOut(capabilities))
    {
        repair(capabilities);
        if (!goesOut(capabilities)) return false;
    }
    return detail::arcFieldsAsRead(header, capabilities);
}

bool Object::goesOut(const Capabilities& capabilities) const
{
    if (!encodable(capabilities) || !detail::labelsHold(*this, capabilities, false, 0)) return false;
    detail::SevenBitCheck check(capabilities.sizes.max);
    encode(capabilities, &check, false);
    return check.passed();
}

} // namespace Mime
} // namespace Kestrava
