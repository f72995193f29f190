#include "mime/line.h"

#include "filter/linetracker.h"
#include "filter/newlineconverter.h"
#include "filter/string.h"
#include "filter/wordwrap.h"
#include "mime/capabilities.h"
#include "mime/detail/ctype.h"
#include "mime/detail/headertext.h"
#include "mime/detail/sevenbit.h"
#include "mime/errors.h"
#include "mime/fields/fieldgrammar.h"

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

/// The line limits of the standard receiver, below which lines are re-encoded.
constexpr size_t standardMax = 998;
constexpr size_t standardPreferred = 78;

/// The length of the line break at `i`: "\r\n", or a lone "\n" or "\r" as
/// Python's email and most readers take it; 0 for no break. The writer turns
/// every one of them into "\r\n", so the parser must end a line at each.
size_t lineBreak(const char* data, size_t size, size_t i)
{
    if (data[i] == '\n') return 1;
    if (data[i] != '\r') return 0;
    return i + 1 < size && data[i + 1] == '\n' ? 2 : 1;
}

bool isAsciiText(const char* data, size_t size)
{
    for (size_t i = 0; i < size; ++i)
        if (!detail::isAscii(data[i])) return false;
    return true;
}

} // namespace

Line::ExtKey::ExtKey(const char* data, size_t size) : Key(data, 0)
{
    if (size == 0) throw EmptyLine(data, size);
    if (size_t blank = lineBreak(data, size, 0)) throw EmptyLine(data, blank);
    // RFC 5322 (obsolete syntax, section 4.5) lets blanks stand between the
    // name and its colon; a blank inside the name makes it no field at all.
    size_t nameEnd = 0;
    bool blank = false;
    bool broken = false;
    for (size_t i = 0; i < size; ++i)
    {
        char c = data[i];
        if (lineBreak(data, size, i) == 1) throw ParseError("Missing colon", i + 1);
        if (c == ':' && !broken)
        {
            this->size = nameEnd;
            valueStart = i + 1;
            while (valueStart < size && detail::isBlank(data[valueStart]))
                ++valueStart;
            return;
        }
        if (detail::isBlank(c) && i > 0)
            blank = true;
        else if (detail::isSpace(c) || blank)
            broken = true;
        else
            nameEnd = i + 1;
    }
    throw ParseError("Key cannot be retrieved (no colon)", size);
}

Line::ExtKey::ExtKey(const char* name) : Key(name) {}

size_t Line::ExtKey::encode(const Capabilities&, Filter::LineLength* output, bool final) const
{
    if (valueStart > 0) return output->append(data, valueStart, final);
    size_t written = output->append(data, size, final);
    return written + output->append(": ", 2, true);
}

Line::ExtValue::ExtValue(const Key* key, const char* data, size_t size) : Value(data, 0), key(key)
{
    // A writer may fold right after the colon: that fold is leading white
    // space too, not part of the value.
    size_t i = 0;
    while (i < size)
    {
        size_t fold = lineBreak(data, size, i);
        if (detail::isBlank(data[i]))
            ++i;
        else if (fold > 0 && i + fold < size && detail::isBlank(data[i + fold]))
            i += fold;
        else
            break;
    }
    this->data = data + i;
    size_t start = i;
    while (i < size)
    {
        if (size_t end = lineBreak(data, size, i))
        {
            i += end;
            if (i < size && detail::isBlank(data[i])) continue;
            break;
        }
        if (!detail::isSpace(data[i])) this->size = i + 1 - start;
        ++i;
    }
    consumed = i;
}

size_t Line::ExtValue::encode(const Capabilities& capabilities, Filter::LineLength* output,
                              bool) const
{
    size_t written = 0;
    try
    {
        const FieldGrammar* grammar = FieldGrammar::find(*key);
        std::string commented;
        if (!capabilities.allowsUtf8 && !isAsciiText(data, size) &&
            (grammar != nullptr || FieldGrammar::structured(*key)))
        {
            // A structured value whose 8-bit text stands in comments alone
            // goes as it came with those as encoded words: its grammar
            // would write it without them.
            Filter::String sink(&commented);
            detail::writeComments(copy(), false, &sink);
        }
        if (!commented.empty() && !detail::hasEightBit(commented.data(), commented.size()))
        {
            Filter::NewlineConverter converter(output, "\r\n", 0);
            written = converter.process(commented.data(), commented.size(), false);
            written += converter.flush();
        }
        else
            written = grammar ? grammar->encode(capabilities, *this, output)
                              : encodeText(capabilities, output);
    }
    catch (...)
    {
        output->append("\r\n", 2, true);
        throw;
    }
    return written + output->append("\r\n", 2, true);
}

size_t Line::ExtValue::encodeText(const Capabilities& capabilities,
                                  Filter::LineLength* output) const
{
    size_t written = 0;
    // Any other unstructured field with 8-bit bytes goes so too to a
    // receiver that does not take them: refolded, they would reach it raw.
    // A structured one does reach it raw, which then refuses it.
    if (FieldGrammar::text(*key) ||
        (!capabilities.allowsUtf8 && !FieldGrammar::structured(*key) && !isAsciiText(data, size)))
    {
        return detail::encodeText(data, size, output->size().preferred,
                                  capabilities.sizes.preferred, output, true, false);
    }
    Filter::WordWrap wrap(output, capabilities.sizes);
    written = wrap.process(data, size, false);
    return written + wrap.flush();
}

Line::Line(const char* data, size_t size)
    : String(data, 0), _key(data, size),
      _value(&_key, data + _key.valueStart, size - _key.valueStart)
{
    this->size = _key.valueStart + _value.consumed;
}

Line::Line(const char* data, size_t size, bool unnamed)
    : String(data, size), _key(""), _value(&_key, data, size), _unnamed(unnamed)
{
}

Line Line::unnamed(const char* data, size_t size)
{
    return Line(data, size, true);
}

Line::Line(const Line& other)
    : String(other), Encodable(other), _key(other._key), _value(other._value),
      _unnamed(other._unnamed)
{
    _value.key = &_key;
}

Line& Line::operator=(const Line& other)
{
    String::operator=(other);
    _key = other._key;
    _value = other._value;
    _value.key = &_key;
    _unnamed = other._unnamed;
    return *this;
}

void Line::set(const char* data, size_t size)
{
    *this = Line(data, size);
}

bool Line::raw(const Capabilities& capabilities) const
{
    // A line longer than a 7-bit receiver takes is folded where it can be
    // (RFC 5322 2.1.1); a UTF-8 receiver gets the field as it was read.
    if (!capabilities.allowsUtf8 && !detail::linesWithin(data, size, capabilities.sizes.max))
        return false;
    if (isAsciiText(_value.data, _value.size))
        return capabilities.sizes.preferred >= standardPreferred &&
               !(capabilities.allowsUtf8 && capabilities.rewrite);
    return capabilities.allowsUtf8 && capabilities.sizes.max >= standardMax;
}

size_t Line::encodeRaw(Filter::Result* output, bool final) const
{
    Filter::NewlineConverter converter(output, "\r\n", 0);
    size_t written = converter.process(data, size, final);
    // The last line of a text may lack its break; the block needs it.
    char last = data[size - 1];
    if (last != '\n' && last != '\r') written += output->append("\r\n", 2, true);
    return written;
}

size_t Line::encode(const Capabilities& capabilities, Filter::Result* output, bool final) const
{
    if (size == 0) return 0;
    if (_unnamed || raw(capabilities)) return encodeRaw(output, final);
    Filter::LineTracker tracker(output);
    size_t written = _key.encode(capabilities, &tracker, final);
    return written + _value.encode(capabilities, &tracker, final);
}

bool Line::valid() const
{
    if (_unnamed) return false;
    const FieldGrammar* grammar = FieldGrammar::find(_key);
    if (grammar == nullptr) return true;
    try
    {
        return grammar->valid(_value);
    }
    catch (...)
    {
        return false;
    }
}

} // namespace Mime
} // namespace Kestrava
