#pragma once

#include "mime/fields/encodable.h"
#include "mime/headeriterator.h"
#include "mime/line.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Kestrava
{
namespace Filter
{
class Memory;
}
namespace Mime
{

class AuthenticationResults;
class ContentDisposition;
class ContentID;
class ContentTransferEncoding;
class ContentType;
class DateTime;

/**
 * The ordered header lines of a message or a MIME part. Parsed lines view
 * the text they came from, which the owner keeps alive; every text the
 * header makes for an edit it keeps itself until it goes. Lookups never
 * throw: absence gives the shared empty value, an end iterator or false.
 */
class Header : public Encodable
{
public:
    Header() = default;

    size_t size() const { return _lines.size(); }

    /// The value of the first line of that name (ignoring case).
    const Value& get(const char* name) const;
    bool contains(const char* name) const;
    bool contains(const String& name) const;
    /// Whether a line has the name and the value, both ignoring case.
    bool contains(const Key& key, const Value& value) const;

    HeaderIterator find(const char* name) const;
    HeaderIterator find(const String& name) const;
    ReverseHeaderIterator rfind(const char* name) const;
    ReverseHeaderIterator rfind(const String& name) const;
    std::vector<Value> all(const char* name) const;
    std::vector<Value> all(const String& name) const;

    HeaderIterator begin() const { return HeaderIterator(this, 0); }
    HeaderIterator end() const { return HeaderIterator(this, size()); }
    ReverseHeaderIterator rbegin() const { return ReverseHeaderIterator(this, 0); }
    ReverseHeaderIterator rend() const { return ReverseHeaderIterator(this, size()); }

    const Line& line(size_t index) const { return _lines[index]; }

    /// Every line of `other` has a line of equal name and value here.
    bool covers(const Header& other) const;
    /// covers() both ways.
    bool matches(const Header& other) const;
    /// Every line is valid (Line::valid).
    bool valid() const;
    /// No value holds a byte outside ASCII.
    bool sevenbit() const;
    bool eightbit() const;
    /// Whether the Content-Type is multipart (with its boundary).
    bool multipart() const;

    Header& remove(const char* name);
    Header& remove(size_t index);
    /// Returns an iterator on the line that followed, whatever its name.
    HeaderIterator remove(const HeaderIterator& position);
    Header& remove(const std::function<bool(const Line&)>& predicate);

    /// Keeps a NUL-terminated copy of the bytes for as long as the header.
    const char* preserve(const char* data, size_t size);
    const char* preserve(const Filter::Memory& memory);

    /// The complete text of one line, folded and ended by CR LF, kept.
    const char* encode(const Key& key, const Value& value);
    const char* encode(const Key& key, const HeaderField& field);

    /// Typed edits: set() replaces the first line of the name (removing the
    /// later ones) or appends one.
    Header& set(const char* name, const HeaderField& field);
    Header& set(const HeaderIterator& position, const HeaderField& field);
    Header& append(const char* name, const HeaderField& field);
    Header& prepend(const char* name, const HeaderField& field);
    /// A new first line "Authentication-Results", folded.
    Header& prepend(const AuthenticationResults& results);
    Header& set(const DateTime& field);
    Header& set(const ContentID& field);
    Header& set(const ContentType& field);
    Header& set(const ContentDisposition& field);
    Header& set(const ContentTransferEncoding& field);

    /// Plain-text edits; a field with a typed grammar is offered to it
    /// first. set() with a null or empty name or value changes nothing.
    Header& set(const char* name, const char* value);
    Header& set(const HeaderIterator& position, const char* value);
    Header& append(const char* name, const char* value);
    Header& prepend(const char* name, const char* value);

    using Encodable::encode;
    /// Every line, then the CR LF that ends the block.
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;
    /// Every line, without the blank line.
    size_t encodeLines(const Capabilities& capabilities, Filter::Result* output, bool final) const;

protected:
    /// The line parsed from a text the header made for the name `name`.
    static Line lineFor(const char* text, const Key& name);

    /// Gives the first line of the name the text and removes the later ones.
    Header& replace(const char* name, const char* text);
    Header& insert(size_t index, const char* name, const char* text);
    /// A plain-text line at the front or at the end, under a copy of the name.
    Header& add(bool front, const char* name, const char* value);

    std::vector<Line> _lines;
    std::vector<std::shared_ptr<std::string>> _strings;
    /// The CR LF that ended a parsed block, or null.
    const char* _separator = nullptr;
    /// The bytes of the source text that a parsed block took.
    size_t _bytes = 0;
};

} // namespace Mime
} // namespace Kestrava
