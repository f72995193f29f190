#pragma once

#include "mime/fields/encodable.h"

#include <cstddef>
#include <memory>

namespace Kestrava
{
namespace Filter
{
class LineLength;
}
namespace Mime
{

class Key;
class Value;

/**
 * The typed grammar of a header field, chosen by its name: plain-text
 * edits are parsed by it and written in its normal form, lines of the field
 * are re-encoded by it, and Line::valid tests values against it. A name
 * without a grammar takes the plain path.
 */
class FieldGrammar
{
public:
    virtual ~FieldGrammar() = default;

    /// The grammar of the field `name`, or null for plain text.
    static const FieldGrammar* find(const Key& name);
    /// Whether plain values of the field are unstructured text, where
    /// encoded words are decoded and written: Subject and the X- fields.
    static bool text(const Key& name);
    /// Whether the field has a structure of its own, though no grammar
    /// here: identifiers, addresses and URLs, where an encoded word is no
    /// encoded word (RFC 2047 section 5), and comments, where it is.
    static bool structured(const Key& name);

    /// Parses a value; throws what the grammar throws.
    virtual std::unique_ptr<HeaderField> parse(const char* data, size_t size) const = 0;

    /// The spelling under which a set() by name writes the field; null
    /// keeps the caller's.
    virtual const char* canonicalName() const { return nullptr; }

    /// Writes a line's value in the grammar's form, falling back to its own
    /// bytes when it does not parse; does not end the line.
    virtual size_t encode(const Capabilities& capabilities, const Value& value,
                          Filter::LineLength* output) const = 0;

    /// Whether the value parses.
    virtual bool valid(const Value& value) const = 0;
};

} // namespace Mime
} // namespace Kestrava
