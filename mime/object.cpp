#include "mime/object.h"

#include "filter/string.h"
#include "mime/capabilities.h"
#include "mime/detail/ctype.h"
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

/// The type of the Content-Type, or none where it does not read.
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

/// Whether a Content-Type that does not read names a multipart or message
/// type all the same: readers take the word before its "/" ("multipart/
/// mixed", "message/rfc822 x"), and such a body may not be encoded.
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

/// Whether the body, of that type, is a message of its own, to be repaired
/// inside. In a digest a part without a type is a message. The other
/// message types (a delivery status, a fragment, an external body's header)
/// only look like one: a field put into their text would change what they
/// say.
bool embedsMessage(const Header& header, const std::optional<ContentType::Type>& type,
                   bool inDigest)
{
    if (!header.contains("content-type")) return inDigest;
    return type && type->main("message") &&
           (type->sub("rfc822") || type->sub("global") || type->sub("news"));
}

/// Whether the body is in an encoding that can be undone here: one of the
/// five, or none named. Another (x-uuencode, say) cannot be re-encoded.
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

/// Whether readers agree on what the text in its encoding holds, so that
/// it may be decoded and encoded anew. In quoted-printable some take "=="
/// for "=" and keep an "=" before blanks (Python's email), where others
/// keep both or take it for a soft line break (RFC 2045 6.7). In base64 a
/// character past the last whole quantum is dropped by some, while others
/// then give the text undecoded. A label with more than its name (blanks
/// after it, a comment) some do not read at all (Python's email).
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

/// The encoding for a text in lines: quoted-printable, which makes every
/// line break CR LF, unless the text is not text and holds a lone CR or LF,
/// which then is a byte to keep: base64 keeps every byte.
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
        if (!plainBoundary(value, type.params().get("boundary"))) header.set(type);
    }
    catch (const std::runtime_error&)
    {
    }
}

/// How deep repair() descends into parts and embedded messages.
constexpr size_t repairDepth = 64;

/// Whether the element goes to the receiver as it was read: a signature
/// over it holds.
bool asRead(const Encodable& element, const Capabilities& capabilities)
{
    std::string text;
    Filter::String sink(&text);
    element.encode(capabilities, &sink, true);
    return text == element.str(true);
}

/// Whether the ARC fields go out as they were read: each seal covers the
/// fields of every set before it (RFC 8617 5.1.1), so one written anew
/// breaks the chain for good, whatever set is added after it.
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

/// The message that a message part carries, parsed from its text, or null
/// for an empty one. Before a delimiter line it ends where the part's
/// content ends.
std::shared_ptr<Object> embeddedMessage(const Body& body)
{
    if (body.size == body.delimiterBreak) return nullptr;
    return std::make_shared<Object>(body.data, body.size,
                                    Boundary::missing(body.delimiterBreak > 0));
}

/// Whether a message part's text is a message as it stands: not in an
/// encoding that would first have to be undone, which none may have.
bool readableMessage(const Header& header)
{
    int encoding = ContentTransferEncoding::extract(header);
    return encoding != ContentTransferEncoding::quotedPrintable &&
           encoding != ContentTransferEncoding::base64 && knownEncoding(header);
}

/// Whether the object as it is written goes to the receiver as it stands,
/// beyond its bytes: no multipart or message part labelled 8bit or binary,
/// inside embedded messages too (RFC 2045 6.4), and the first part of every
/// signed multipart as it was read, as its signature covers it (RFC 1847
/// 2.1). Nested too deeply to tell, it does not.
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
    if (depth > repairDepth) return;
    int encoding = ContentTransferEncoding::extract(header);
    std::optional<ContentType::Type> type = typeOf(header);
    bool multipart = type && type->main("multipart");
    bool messageType = type && type->main("message");
    bool message = embedsMessage(header, type, inDigest);
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
    if (multipart || messageType || compositeAnyway(header, type))
    {
        if (eightBitLabel(header) && body.fits(capabilities))
            label(header, ContentTransferEncoding::sevenBit);
        return;
    }
    // What cannot be decoded here cannot be encoded anew either.
    if (!knownEncoding(header)) return;
    switch (encoding)
    {
    case ContentTransferEncoding::sevenBit:
        // The bytes, not the label: inside an 8-bit message a body without
        // a label of its own holds 8-bit bytes as well.
        if (header.eightbit() || !body.fits(capabilities))
            label(header, lineEncoding(header, body));
        break;
    case ContentTransferEncoding::eightBit:
        label(header, lineEncoding(header, body));
        break;
    case ContentTransferEncoding::binary:
        label(header, ContentTransferEncoding::base64);
        break;
    default:
        // Raw 8-bit bytes or long lines under an encoding's own label.
        if (!body.fits(capabilities) && decodesAlike(header, body)) body.reencode = true;
        break;
    }
}

void Object::repairMessage(const Capabilities& capabilities, size_t depth)
{
    if (!readableMessage(header)) return;
    if (!body.message)
    {
        std::shared_ptr<Object> message = embeddedMessage(body);
        // Left as it is where nothing in it needs repairing; an empty
        // message carries nothing 8-bit.
        if (!message || (!eightBitLabel(header) && body.fits(capabilities) &&
                         labelsHold(*message, capabilities, false, depth + 1)))
        {
            if (eightBitLabel(header)) label(header, ContentTransferEncoding::sevenBit);
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
        return goesOut(capabilities) && asRead(*this, capabilities);
    if (!goesOut(capabilities)) repair(capabilities);
    return goesOut(capabilities) && arcFieldsAsRead(header, capabilities);
}

bool Object::goesOut(const Capabilities& capabilities) const
{
    if (!encodable(capabilities) || !labelsHold(*this, capabilities, false, 0)) return false;
    detail::SevenBitCheck check(capabilities.sizes.max);
    encode(capabilities, &check, false);
    return check.passed();
}

} // namespace Mime
} // namespace Kestrava
