#include "mime/body.h"

#include "filter/append.h"
#include "filter/base64decode.h"
#include "filter/base64encode.h"
#include "filter/forceend.h"
#include "filter/newlineconverter.h"
#include "filter/quotedprintabledecode.h"
#include "filter/quotedprintableencode.h"
#include "filter/split.h"
#include "filter/strip.h"
#include "mime/fields/contenttype.h"
#include "mime/empty.h"
#include "mime/capabilities.h"
#include "mime/errors.h"
#include "mime/header.h"
#include "mime/object.h"

#include <cstring>
#include <memory>
#include <vector>

namespace Kestrava
{
namespace Mime
{

namespace
{

bool hasEightBit(const char* data, size_t size)
{
    for (size_t i = 0; i < size; ++i)
        if (static_cast<unsigned char>(data[i]) >= 0x80) return true;
    return false;
}

/// Stages built innermost first and taken down outermost first, so that
/// each flushes into a stage that still exists.
class Chain
{
public:
    explicit Chain(Filter::Result* sink) : _head(sink) {}
    ~Chain()
    {
        while (!_stages.empty())
            _stages.pop_back();
    }
    template <typename Stage, typename... Arguments> void add(Arguments&&... arguments)
    {
        _stages.push_back(std::make_unique<Stage>(_head, std::forward<Arguments>(arguments)...));
        _head = _stages.back().get();
    }
    void addDecoder(int encoding)
    {
        if (encoding == ContentTransferEncoding::base64)
        {
            _stages.push_back(std::make_unique<Filter::Base64Decode>(false, _head));
            _head = _stages.back().get();
            add<Filter::Strip>("\r\n\t ");
        }
        else if (encoding == ContentTransferEncoding::quotedPrintable)
            add<Filter::QuotedPrintableDecode>();
    }
    Filter::Result* head() const { return _head; }

private:
    Filter::Result* _head;
    std::vector<std::unique_ptr<Filter::Result>> _stages;
};

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

size_t writeEnded(const String& text, Filter::Result* output, bool final)
{
    if (text.size == 0) return 0;
    Filter::ForceEnd end(output, "\r\n");
    return end.process(text.data, text.size, final);
}

} // namespace

Separator::Separator(const Header& header)
{
    const Value& value = header.get("content-type");
    try
    {
        ContentType type(value.data, value.size, true);
        delimiter = "--" + type.params().get("boundary");
    }
    catch (const std::exception& error)
    {
        throw ParseError(error.what(), 0);
    }
}

Part::Part(const Separator& separator, const char* data, size_t size, size_t from) : data(data)
{
    const std::string& delimiter = separator.delimiter;
    size_t length = delimiter.size();
    for (size_t at = from; at + length <= size; ++at)
    {
        const void* dash = std::memchr(data + at, '-', size - at);
        if (dash == nullptr) break;
        at = static_cast<const char*>(dash) - data;
        if (at + length > size) break;
        // A delimiter counts only at the start of a line (RFC 2046 5.1.1).
        if (at > 0 && data[at - 1] != '\n') continue;
        if (std::memcmp(data + at, delimiter.data(), length) != 0) continue;
        size_t after = at + length;
        bool closing = false;
        if (after + 2 <= size && data[after] == '-' && data[after + 1] == '-')
        {
            closing = true;
            after += 2;
        }
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

bool Boundary::operator==(const Separator& separator) const
{
    if (size < 3 || data[size - 2] != '\r' || data[size - 1] != '\n') return false;
    size_t length = size - 2;
    if (size > 4 && data[length - 1] == '-' && data[length - 2] == '-') length -= 2;
    return length == separator.delimiter.size() &&
           std::memcmp(data, separator.delimiter.data(), length) == 0;
}

size_t Boundary::encode(Filter::Result* output, bool closing, bool final) const
{
    bool stored = size > 4 && std::memcmp(data + size - 4, "--\r\n", 4) == 0;
    if (stored == closing) return output->append(data, size, final);
    if (closing) return output->append(data, size - 2, final) + output->append("--\r\n", 4, true);
    return output->append(data, size - 4, final) + output->append(data + size - 2, 2, final);
}

size_t Preamble::encode(const Capabilities&, Filter::Result* output, bool final) const
{
    return writeEnded(*this, output, final);
}

size_t Epilogue::encode(const Capabilities&, Filter::Result* output, bool final) const
{
    return writeEnded(*this, output, final);
}

Body::Body(const Header* header, const char* data, size_t size)
    : String(data, size), header(header), encoding(header)
{
    if (header->multipart()) split();
}

bool Body::multipart() const
{
    return header->multipart();
}

void Body::split()
{
    size_t position = 0;
    Nesting level;
    try
    {
        if (nesting > nestingLimit) throw ParseError("multipart nested too deeply", 0);
        Separator separator(*header);
        Part first(separator, data, size, 0);
        preambleText = std::make_shared<Preamble>(
            data, first.start, Boundary(data + first.start, first.end - first.start));
        position = first.end;
        if (first.last) return;
        for (;;)
        {
            Part next(separator, data, size, position);
            parts.push_back(std::make_shared<Object>(next, position));
            position = next.end;
        }
    }
    catch (const ParseError&)
    {
        if (position >= size) return;
        if (preambleText)
            epilogueText = std::make_shared<Epilogue>(data + position, size - position);
        else
            preambleText = std::make_shared<Preamble>(data + position, size - position);
    }
}

const Preamble& Body::preamble() const
{
    static const Preamble none(nullptr, 0);
    return preambleText ? *preambleText : none;
}

const Epilogue& Body::epilogue() const
{
    static const Epilogue none(nullptr, 0);
    return epilogueText ? *epilogueText : none;
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
        return hasEightBit(data, size);
    }
    if (hasEightBit(preamble().data, preamble().size)) return true;
    if (hasEightBit(epilogue().data, epilogue().size)) return true;
    for (const auto& part : parts)
        if (part->header.eightbit() || part->body.eightbit()) return true;
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

bool Body::encodable(const Capabilities& capabilities) const
{
    if (capabilities.allowsUtf8) return true;
    if (!multipart()) return capabilities.compatible(ContentTransferEncoding(header));
    if (hasEightBit(preamble().data, preamble().size)) return false;
    if (hasEightBit(epilogue().data, epilogue().size)) return false;
    for (const auto& part : parts)
        if (!part->encodable(capabilities)) return false;
    return true;
}

void Body::decode(Filter::Result* target) const
{
    Chain chain(target);
    if (encoding.value == ContentTransferEncoding::base64 ||
        encoding.value == ContentTransferEncoding::quotedPrintable)
        chain.addDecoder(encoding.value);
    // "binary" is already the decoded octets: nothing is added to them.
    chain.head()->append(data, size, false);
}

size_t Body::encode(const Capabilities& capabilities, Filter::Result* output, bool final) const
{
    if (multipart()) return encodeMultipart(capabilities, output, final);
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
    auto fresh = [&](bool closing)
    {
        size_t written = output->append(delimiter.data(), delimiter.size(), true);
        return written + output->append(closing ? "--\r\n" : "\r\n", closing ? 4 : 2, true);
    };
    size_t written = 0;
    if (preambleText)
    {
        written += preambleText->encode(capabilities, output, final);
        if (preambleText->boundary == *separator)
            written += preambleText->boundary.encode(output, parts.empty(), final);
        else
            written += fresh(parts.empty());
    }
    else
        written += fresh(parts.empty());
    for (size_t i = 0; i < parts.size(); ++i)
    {
        const Object& part = *parts[i];
        bool closing = i + 1 == parts.size();
        written += part.encode(capabilities, output, final);
        if (part.body.boundary == *separator)
            written += part.body.boundary.encode(output, closing, final);
        else
            written += fresh(closing);
    }
    if (epilogueText) written += epilogueText->encode(capabilities, output, final);
    return written;
}

size_t Body::encodeSingle(Filter::Result* output, bool final) const
{
    int target = ContentTransferEncoding::extract(*header);
    Chain chain(output);
    if (target == encoding.value)
    {
        chain.add<Filter::ForceEnd>("\r\n");
        if (target != ContentTransferEncoding::binary)
            chain.add<Filter::NewlineConverter>("\r\n", 0);
    }
    else
    {
        switch (target)
        {
        case ContentTransferEncoding::base64:
            chain.add<Filter::Append>("\r\n");
            chain.add<Filter::Split>(76, std::string("\r\n"));
            chain.add<Filter::Base64Encode>();
            break;
        case ContentTransferEncoding::quotedPrintable:
            chain.add<Filter::ForceEnd>("\r\n");
            chain.add<Filter::QuotedPrintableEncode>();
            break;
        case ContentTransferEncoding::binary:
            break;
        default:
            chain.add<Filter::ForceEnd>("\r\n");
            chain.add<Filter::NewlineConverter>("\r\n", 0);
        }
        chain.addDecoder(encoding.value);
    }
    return chain.head()->append(data, size, final);
}

} // namespace Mime
} // namespace Kestrava
