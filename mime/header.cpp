#include "mime/header.h"

#include "filter/linetracker.h"
#include "filter/memory.h"
#include "filter/newlineconverter.h"
#include "filter/wordwrap.h"
#include "mime/capabilities.h"
#include "mime/fields/contentdisposition.h"
#include "mime/fields/contentid.h"
#include "mime/fields/contenttransferencoding.h"
#include "mime/fields/contenttype.h"
#include "mime/fields/datetime.h"
#include "mime/detail/ctype.h"
#include "mime/detail/headertext.h"
#include "mime/empty.h"
#include "mime/fields/fieldgrammar.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

bool empty(const char* text)
{
    return text == nullptr || *text == '\0';
}

/// Builds one line: name, ":", the value written by `value` into a word
/// wrap at the standard limits (or, once that is flushed, into the line
/// behind it) after a blank, CR LF line ends.
template <typename Write> std::string buildLine(const Key& key, Write value)
{
    Filter::Memory memory;
    {
        Filter::NewlineConverter converter(&memory, "\r\n", 0);
        Filter::LineTracker tracker(&converter);
        Filter::WordWrap wrap(&tracker, Capabilities::standard().sizes);
        wrap.process(key.data, key.size, false);
        wrap.process(":", 1, true);
        value(&wrap, &tracker);
        wrap.flush();
    }
    memory.append("\r\n", 2, true);
    return memory.buffer();
}

/// The value parsed by the field's grammar; null when the field has none or
/// the value is not in its form, which then stays plain text.
std::unique_ptr<HeaderField> typedValue(const FieldGrammar* grammar, const char* value)
{
    if (grammar == nullptr) return nullptr;
    try
    {
        return grammar->parse(value, std::strlen(value));
    }
    catch (const std::runtime_error&)
    {
        return nullptr;
    }
}

} // namespace

const Value& Header::get(const char* name) const
{
    for (const Line& line : _lines)
        if (line.key() == name) return line.value();
    return empty_value();
}

bool Header::contains(const char* name) const
{
    return contains(String(name));
}

bool Header::contains(const String& name) const
{
    return find(name).valid();
}

bool Header::contains(const Key& key, const Value& value) const
{
    for (const Line& line : _lines)
        if (line.key() == key && line.value() == value) return true;
    return false;
}

HeaderIterator Header::find(const char* name) const
{
    return find(String(name));
}

HeaderIterator Header::find(const String& name) const
{
    for (size_t i = 0; i < _lines.size(); ++i)
        if (_lines[i].key() == name) return HeaderIterator(this, i, name);
    return end();
}

ReverseHeaderIterator Header::rfind(const char* name) const
{
    return rfind(String(name));
}

ReverseHeaderIterator Header::rfind(const String& name) const
{
    for (size_t i = 0; i < _lines.size(); ++i)
        if (_lines[_lines.size() - 1 - i].key() == name)
            return ReverseHeaderIterator(this, i, name);
    return rend();
}

std::vector<Value> Header::all(const char* name) const
{
    return all(String(name));
}

std::vector<Value> Header::all(const String& name) const
{
    std::vector<Value> values;
    for (const Line& line : _lines)
        if (line.key() == name) values.push_back(line.value());
    return values;
}

bool Header::covers(const Header& other) const
{
    return std::all_of(other._lines.begin(), other._lines.end(),
                       [this](const Line& line) { return contains(line.key(), line.value()); });
}

bool Header::matches(const Header& other) const
{
    return covers(other) && other.covers(*this);
}

bool Header::valid() const
{
    return std::all_of(_lines.begin(), _lines.end(), [](const Line& line) { return line.valid(); });
}

bool Header::sevenbit() const
{
    for (const Line& line : _lines)
        for (size_t i = 0; i < line.value().size; ++i)
            if (!detail::isAscii(line.value().data[i])) return false;
    return true;
}

bool Header::eightbit() const
{
    return !sevenbit();
}

bool Header::multipart() const
{
    const Value& value = get("content-type");
    try
    {
        return ContentType(value.data, value.size, true).type().main("multipart");
    }
    catch (const std::exception&)
    {
        return false;
    }
}

Header& Header::remove(const char* name)
{
    return remove([name](const Line& line) { return line.key() == name; });
}

Header& Header::remove(size_t index)
{
    if (index < _lines.size()) _lines.erase(_lines.begin() + index);
    return *this;
}

HeaderIterator Header::remove(const HeaderIterator& position)
{
    remove(position.index);
    return HeaderIterator(this, position.index, position.name);
}

Header& Header::remove(const std::function<bool(const Line&)>& predicate)
{
    _lines.erase(std::remove_if(_lines.begin(), _lines.end(), predicate), _lines.end());
    return *this;
}

const char* Header::preserve(const char* data, size_t size)
{
    _strings.push_back(std::make_shared<std::string>(data, size));
    return _strings.back()->c_str();
}

const char* Header::preserve(const Filter::Memory& memory)
{
    const std::string& text = memory.buffer();
    return preserve(text.data(), text.size());
}

const char* Header::encode(const Key& key, const Value& value)
{
    std::string text = buildLine(
        key,
        [&](Filter::WordWrap* wrap, Filter::LineLength* line)
        {
            if (!FieldGrammar::text(key))
            {
                wrap->process(" ", 1, true);
                wrap->process(value.data, value.size, false);
                return;
            }
            // The caller's text is plain text: what looks like an
            // encoded word in it is encoded itself, so that it
            // reads back as given. Written past the word wrap,
            // its blank runs and tabs stay.
            wrap->flush();
            detail::encodeText(value.data, value.size, line->size().preferred,
                               Capabilities::standard().sizes.preferred, line, false, true);
        });
    return preserve(text.data(), text.size());
}

const char* Header::encode(const Key& key, const HeaderField& field)
{
    const Capabilities& capabilities =
        field.encodable(Capabilities::standard()) ? Capabilities::standard() : Capabilities::utf8();
    std::string text = buildLine(key,
                                 [&](Filter::WordWrap* wrap, Filter::LineLength*)
                                 {
                                     wrap->process(" ", 1, true);
                                     field.encode(capabilities, wrap, true);
                                 });
    return preserve(text.data(), text.size());
}

Line Header::lineFor(const char* text, const Key& name)
{
    Line line(text, std::strlen(text));
    // A name with a colon or a line break in it would make another field.
    if (line.key().size != name.size || !(line.key() == name))
        throw std::invalid_argument("invalid header name");
    return line;
}

Header& Header::replace(const char* name, const char* text)
{
    HeaderIterator first = find(name);
    Line line = lineFor(text, Key(name));
    _lines[first.index] = line;
    // One pass: erasing the later lines one by one is quadratic.
    auto later = _lines.begin() + first.index + 1;
    _lines.erase(std::remove_if(later, _lines.end(),
                                [name](const Line& other) { return other.key() == name; }),
                 _lines.end());
    return *this;
}

Header& Header::insert(size_t index, const char* name, const char* text)
{
    _lines.insert(_lines.begin() + index, lineFor(text, Key(name)));
    return *this;
}

Header& Header::set(const char* name, const HeaderField& field)
{
    if (!contains(name)) return append(name, field);
    return replace(name, encode(Key(name), field));
}

Header& Header::set(const HeaderIterator& position, const HeaderField& field)
{
    if (position.index >= _lines.size()) return *this;
    Key key = _lines[position.index].key();
    _lines[position.index] = lineFor(encode(key, field), key);
    return *this;
}

Header& Header::append(const char* name, const HeaderField& field)
{
    return insert(_lines.size(), name, encode(Key(name), field));
}

Header& Header::prepend(const char* name, const HeaderField& field)
{
    return insert(0, name, encode(Key(name), field));
}

Header& Header::set(const DateTime& field)
{
    return set("Date", static_cast<const HeaderField&>(field));
}

Header& Header::set(const ContentID& field)
{
    return set("Content-ID", static_cast<const HeaderField&>(field));
}

Header& Header::set(const ContentType& field)
{
    return set("Content-Type", static_cast<const HeaderField&>(field));
}

Header& Header::set(const ContentDisposition& field)
{
    return set("Content-Disposition", static_cast<const HeaderField&>(field));
}

Header& Header::set(const ContentTransferEncoding& field)
{
    return set("Content-Transfer-Encoding", static_cast<const HeaderField&>(field));
}

Header& Header::set(const char* name, const char* value)
{
    if (empty(name) || empty(value)) return *this;
    const FieldGrammar* grammar = FieldGrammar::find(Key(name));
    if (std::unique_ptr<HeaderField> field = typedValue(grammar, value))
        return set(grammar->canonicalName() ? grammar->canonicalName() : name, *field);
    const char* text = encode(Key(name), Value(value));
    if (!contains(name)) return insert(_lines.size(), name, text);
    return replace(name, text);
}

Header& Header::set(const HeaderIterator& position, const char* value)
{
    if (position.index >= _lines.size() || empty(value)) return *this;
    Key key = _lines[position.index].key();
    if (std::unique_ptr<HeaderField> field = typedValue(FieldGrammar::find(key), value))
        return set(position, *field);
    _lines[position.index] = lineFor(encode(key, Value(value)), key);
    return *this;
}

Header& Header::append(const char* name, const char* value)
{
    return add(false, name, value);
}

Header& Header::prepend(const char* name, const char* value)
{
    return add(true, name, value);
}

Header& Header::add(bool front, const char* name, const char* value)
{
    if (name == nullptr) return *this;
    // The caller's name need not outlive the call.
    const char* kept = preserve(name, std::strlen(name));
    size_t index = front ? 0 : _lines.size();
    if (std::unique_ptr<HeaderField> field = typedValue(FieldGrammar::find(Key(kept)), value))
        return insert(index, kept, encode(Key(kept), *field));
    return insert(index, kept, encode(Key(kept), Value(value)));
}

size_t Header::encode(const Capabilities& capabilities, Filter::Result* output, bool final) const
{
    size_t written = encodeLines(capabilities, output, final);
    return written + output->append(_separator ? _separator : "\r\n", 2, true);
}

size_t Header::encodeLines(const Capabilities& capabilities, Filter::Result* output,
                           bool final) const
{
    size_t written = 0;
    for (const Line& line : _lines)
        written += line.encode(capabilities, output, final);
    return written;
}

} // namespace Mime
} // namespace Kestrava
