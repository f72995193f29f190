#include "mime/body.h"

#include "filter/append.h"
#include "filter/base64encode.h"
#include "filter/forceend.h"
#include "filter/newlineconverter.h"
#include "filter/quotedprintableencode.h"
#include "filter/split.h"
#include "mime/capabilities.h"
#include "mime/detail/ctype.h"
#include "mime/detail/sevenbit.h"
#include "mime/empty.h"
#include "mime/errors.h"
#include "mime/fields/contenttype.h"
#include "mime/header.h"
#include "mime/object.h"
#include "mime/translator.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace Kestrava
{
namespace Mime
{

namespace
{

/// Multipart bodies deeper than this stay one text: each level is parsed
/// inside its parent's, and a hostile nesting must not overrun the stack.
constexpr size_t nestingLimit = 64;
thread_local size_t nesting = 0;

/// One level of multipart nesting, for as long as its body is split.
class Nesting
{
public:
    Nesting() { ++nesting; }
    ~Nesting() { --nesting; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;
};

/// The text ended by a line break: the one that followed it in the source
/// when it had one, else one where it does not end with one.
size_t writeEnded(const String& text, size_t lineBreak, Filter::Result* output, bool final)
{
    if (text.size == 0 && lineBreak == 0) return 0;
    Translator translator(output);
    if (lineBreak > 0)
        translator.add<Filter::Append>("\r\n");
    else
        translator.add<Filter::ForceEnd>("\r\n");
    translator.add<Filter::NewlineConverter>("\r\n", 0);
    return translator.process(text.data, text.size, final);
}

/// Ends the output with a line break, adding `end` where it does not end
/// with one yet: a soft break after quoted-printable decodes to nothing, and
/// binary octets that end with a line feed get no second line end.
class LineEnd : public Filter::Filter
{
public:
    /// `end` is NUL-terminated and outlives the stage.
    LineEnd(Filter::Result* next, const char* end) : Filter(next), _end(end) {}
    ~LineEnd() override
    {
        try
        {
            if (!_ended) next->append(_end, std::strlen(_end), true);
        }
        catch (...)
        {
            // A destructor must not throw.
        }
    }

    using Filter::process;
    size_t process(const char* data, size_t size, bool final) override
    {
        if (size > 0) _ended = data[size - 1] == '\n';
        return next->append(data, size, final);
    }

private:
    const char* _end;
    bool _ended = false;
};

/// The length of the line break that ends the text: 2 for CR LF, 1 for a
/// lone LF or CR (a delimiter after a bare CR counts), else 0.
size_t endingBreak(const char* data, size_t size)
{
    if (size == 0) return 0;
    if (data[size - 1] == '\r') return 1;
    if (data[size - 1] != '\n') return 0;
    return size >= 2 && data[size - 2] == '\r' ? 2 : 1;
}

} // namespace

Separator::Separator(const Header& header)
{
    const Value& value = header.get("content-type");
    try
    {
        ContentType type(value.data, value.size, true);
        delimiter = "--" + type.boundary();
    }
    catch (const std::exception& error)
    {
        throw ParseError(error.what(), 0);
    }
}

Part::Part(const Separator& separator, const char* data, size_t size, size_t from)
    : data(data), length(separator.delimiter.size())
{
    const std::string& delimiter = separator.delimiter;
    for (size_t at = from; at + length <= size; ++at)
    {
        const void* dash = std::memchr(data + at, '-', size - at);
        if (dash == nullptr) break;
        at = static_cast<const char*>(dash) - data;
        if (at + length > size) break;
        // A delimiter counts only at the start of a line (RFC 2046 5.1.1);
        // a bare CR ends one too, since the writer makes it a CR LF.
        if (at > 0 && data[at - 1] != '\n' && data[at - 1] != '\r') continue;
        if (std::memcmp(data + at, delimiter.data(), length) != 0) continue;
        size_t after = at + length;
        bool closing = after + 2 <= size && data[after] == '-' && data[after + 1] == '-';
        if (closing) after += 2;
        while (after < size && detail::isBlank(data[after]))
            ++after;
        if (after < size && data[after] != '\r' && data[after] != '\n') continue;
        if (after < size && data[after] == '\r') ++after;
        if (after < size && data[after] == '\n') ++after;
        start = at;
        end = after;
        last = closing;
        return;
    }
    throw ParseError("Didn't find a next boundary", size);
}

Boundary::Boundary(const Part& part)
    : String(part.data + part.start, part.end - part.start), length(part.length),
      closing(part.last), delimited(true)
{
}

Boundary Boundary::missing(bool delimited)
{
    Boundary boundary;
    boundary.endOfText = true;
    boundary.delimited = delimited;
    return boundary;
}

bool Boundary::operator==(const Separator& separator) const
{
    return size > 0 && length == separator.delimiter.size() &&
           std::memcmp(data, separator.delimiter.data(), length) == 0;
}

size_t Boundary::encode(Filter::Result* output, bool closing, bool final) const
{
    size_t blanks = length + (this->closing ? 2 : 0);
    size_t lineEnd = size;
    while (lineEnd > blanks && (data[lineEnd - 1] == '\r' || data[lineEnd - 1] == '\n'))
        --lineEnd;
    size_t written = output->append(data, length, final);
    if (closing) written += output->append("--", 2, true);
    if (lineEnd > blanks) written += output->append(data + blanks, lineEnd - blanks, final);
    return written + output->append("\r\n", 2, true);
}

size_t Preamble::encode(const Capabilities&, Filter::Result* output, bool final) const
{
    return writeEnded(*this, lineBreak, output, final);
}

size_t Epilogue::encode(const Capabilities&, Filter::Result* output, bool final) const
{
    return writeEnded(*this, lineBreak, output, final);
}

Body::Body(const Header* header, const char* data, size_t size, bool delimited)
    : String(data, size), header(header), encoding(header),
      delimiterBreak(delimited ? endingBreak(data, size) : 0)
{
    if (header->multipart()) split();
}

bool Body::multipart() const
{
    return header->multipart();
}

void Body::split()
{
    Nesting level;
    std::unique_ptr<Separator> separator;
    std::unique_ptr<Part> first;
    try
    {
        // Past the limit the text stays whole, as when no delimiter is found.
        if (nesting > nestingLimit) throw ParseError("multipart nested too deeply", 0);
        separator = std::make_unique<Separator>(*header);
        first = std::make_unique<Part>(*separator, data, size, 0);
    }
    catch (const ParseError&)
    {
        if (size > 0)
            preambleText =
                std::make_shared<Preamble>(data, size - delimiterBreak, Boundary(), delimiterBreak);
        return;
    }
    // The line break before a delimiter line belongs to that line (RFC 2046
    // 5.1.1), not to the text before it.
    size_t lineBreak = endingBreak(data, first->start);
    preambleText =
        std::make_shared<Preamble>(data, first->start - lineBreak, Boundary(*first), lineBreak);
    size_t position = first->last ? first->end : splitParts(*separator, first->end);
    // What follows the first closing delimiter is the epilogue, whatever it
    // holds (RFC 2046 5.1.1): readers stop there.
    if (position < size)
    {
        size_t end = std::max(position, size - delimiterBreak);
        epilogueText = std::make_shared<Epilogue>(data + position, end - position, size - end);
    }
}

size_t Body::splitParts(const Separator& separator, size_t position)
{
    for (;;)
    {
        try
        {
            Part next(separator, data, size, position);
            parts.push_back(
                std::make_shared<Object>(data + position, next.start - position, Boundary(next)));
            position = next.end;
            if (next.last) return position;
        }
        catch (const ParseError&)
        {
            // An unterminated last part: still a part, as readers take it,
            // and as they do, without the line break that ends the text,
            // which the missing delimiter would have taken.
            parts.push_back(std::make_shared<Object>(data + position, size - position,
                                                     Boundary::missing(true)));
            return size;
        }
    }
}

const Preamble& Body::preamble() const
{
    return preambleText ? *preambleText : empty_preamble();
}

const Epilogue& Body::epilogue() const
{
    return epilogueText ? *epilogueText : empty_epilogue();
}

void Body::preamble(const char* data, size_t size)
{
    preambleText = std::make_shared<Preamble>(data, size);
}

void Body::preamble(const char* text)
{
    if (text == nullptr)
        preambleText.reset();
    else
        preamble(text, std::strlen(text));
}

void Body::epilogue(const char* data, size_t size)
{
    epilogueText = std::make_shared<Epilogue>(data, size);
}

void Body::epilogue(const char* text)
{
    if (text == nullptr)
        epilogueText.reset();
    else
        epilogue(text, std::strlen(text));
}

void Body::append(const Object& object)
{
    parts.push_back(std::make_shared<Object>(object));
}

void Body::append(Object&& object)
{
    parts.push_back(std::make_shared<Object>(std::move(object)));
}

void Body::prepend(const Object& object)
{
    parts.push_front(std::make_shared<Object>(object));
}

void Body::prepend(Object&& object)
{
    parts.push_front(std::make_shared<Object>(std::move(object)));
}

bool Body::empty() const
{
    return !preambleText && !epilogueText && parts.empty() && size == 0;
}

bool Body::eightbit() const
{
    if (!multipart())
    {
        if (encoding.value == ContentTransferEncoding::quotedPrintable ||
            encoding.value == ContentTransferEncoding::base64 ||
            encoding.value == ContentTransferEncoding::sevenBit)
            return false;
        return detail::hasEightBit(data, size);
    }
    if (detail::hasEightBit(preamble().data, preamble().size)) return true;
    if (detail::hasEightBit(epilogue().data, epilogue().size)) return true;
    for (const Object& part : *this)
        if (part.header.eightbit() || part.body.eightbit()) return true;
    return false;
}

bool Body::valid() const
{
    if (!multipart()) return parts.empty() && !preambleText && !epilogueText;
    try
    {
        Separator separator(*header);
        return true;
    }
    catch (const ParseError&)
    {
        return false;
    }
}

bool Body::fits(const Capabilities& capabilities) const
{
    size_t limit = capabilities.sizes.max;
    if (!multipart()) return detail::sevenBitText(data, size - delimiterBreak, limit);
    return detail::sevenBitText(preamble().data, preamble().size, limit) &&
           detail::sevenBitText(epilogue().data, epilogue().size, limit);
}

bool Body::encodable(const Capabilities& capabilities) const
{
    if (capabilities.allowsUtf8) return true;
    ContentTransferEncoding label(header);
    if (!capabilities.compatible(label)) return false;
    if (!multipart())
    {
        if (message) return message->encodable(capabilities);
        // Only an encoder's output is 7-bit by its label alone.
        bool encoded = reencode || label.value != encoding.value;
        return (encoded && label.value != ContentTransferEncoding::sevenBit) || fits(capabilities);
    }
    // Split into parts, the text is in no encoding of its own.
    if (!parts.empty() && label.value != ContentTransferEncoding::sevenBit) return false;
    if (!fits(capabilities)) return false;
    for (const Object& part : *this)
        if (!part.encodable(capabilities)) return false;
    return true;
}

void Body::decode(Filter::Result* target) const
{
    Translator translator(target);
    // "binary" is already the decoded octets: nothing is added to them.
    translator.addDecoder(encoding.value);
    translator.process(data, size - delimiterBreak, false);
}

size_t Body::encode(const Capabilities& capabilities, Filter::Result* output, bool final) const
{
    // Nothing read is nothing written: an empty part between two
    // delimiters, or a message that ends with its header, stays so.
    if (empty()) return 0;
    if (multipart()) return encodeMultipart(capabilities, output, final);
    if (message) return message->encode(capabilities, output, final);
    return encodeSingle(output, final);
}

size_t Body::encodeMultipart(const Capabilities& capabilities, Filter::Result* output,
                             bool final) const
{
    std::unique_ptr<Separator> separator;
    try
    {
        separator = std::make_unique<Separator>(*header);
    }
    catch (const ParseError&)
    {
        return 0;
    }
    const std::string& delimiter = separator->delimiter;
    // A delimiter line read from the text is written as it stood, closing
    // or not as its place now asks; a new place gets a new line. A last
    // part that ran to the end of the text gets none.
    auto delimiterAfter = [&](const Boundary& boundary, bool closing) -> size_t
    {
        if (boundary == *separator) return boundary.encode(output, closing, final);
        if (closing && boundary.endOfText && !epilogueText) return 0;
        size_t written = output->append(delimiter.data(), delimiter.size(), true);
        return written + output->append(closing ? "--\r\n" : "\r\n", closing ? 4 : 2, true);
    };
    size_t written = 0;
    if (preambleText) written += preambleText->encode(capabilities, output, final);
    // Without parts, a text that held no delimiter is written alone.
    if (!parts.empty() || preamble().boundary == *separator)
        written += delimiterAfter(preamble().boundary, parts.empty());
    for (size_t i = 0; i < parts.size(); ++i)
    {
        const Object& part = *parts[i];
        written += part.encode(capabilities, output, final);
        written += delimiterAfter(part.body.boundary, i + 1 == parts.size());
    }
    if (epilogueText) written += epilogueText->encode(capabilities, output, final);
    return written;
}

size_t Body::encodeSingle(Filter::Result* output, bool final) const
{
    int target = ContentTransferEncoding::extract(*header);
    bool same = target == encoding.value && !reencode;
    Translator translator(output);
    // Before a delimiter line the content goes without the line break that
    // belongs to that line, which follows as CR LF: a transcoded part keeps
    // exactly its bytes. Elsewhere the text ends with a line break.
    bool delimited = delimiterBreak > 0;
    if (delimited) translator.add<Filter::Append>("\r\n");
    if (same && target == ContentTransferEncoding::binary)
    {
        if (!delimited) translator.add<LineEnd>("\r\n");
    }
    else if (same)
    {
        if (!delimited) translator.add<Filter::ForceEnd>("\r\n");
        translator.add<Filter::NewlineConverter>("\r\n", 0);
    }
    else
    {
        switch (target)
        {
        case ContentTransferEncoding::base64:
            if (!delimited) translator.add<Filter::Append>("\r\n");
            translator.add<Filter::Split>(76, std::string("\r\n"));
            translator.add<Filter::Base64Encode>();
            break;
        case ContentTransferEncoding::quotedPrintable:
            if (!delimited) translator.add<LineEnd>("=\r\n");
            translator.add<Filter::QuotedPrintableEncode>();
            break;
        case ContentTransferEncoding::binary:
            break;
        default:
            if (!delimited) translator.add<Filter::ForceEnd>("\r\n");
            translator.add<Filter::NewlineConverter>("\r\n", 0);
        }
        translator.addDecoder(encoding.value);
    }
    return translator.process(data, size - delimiterBreak, final);
}

} // namespace Mime
} // namespace Kestrava
