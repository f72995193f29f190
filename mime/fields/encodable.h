#pragma once

#include <cstddef>
#include <string>

namespace Kestrava
{
namespace Filter
{
class Result;
class LineLength;
class WordWrap;
} // namespace Filter

namespace Mime
{

class Capabilities;

/**
 * Every message element writes itself through this interface into a chain
 * of filters. The three sink forms fall back on each other, so an element
 * that folds where its grammar allows overrides the LineLength or WordWrap
 * form, and every element overrides the Result form.
 */
class Encodable
{
public:
    virtual ~Encodable() = default;

    /// Writes the element; returns the bytes the final sinks took.
    virtual size_t encode(const Capabilities& capabilities, Filter::Result* output,
                          bool final) const = 0;
    virtual size_t encode(const Capabilities& capabilities, Filter::LineLength* output,
                          bool final) const;
    virtual size_t encode(const Capabilities& capabilities, Filter::WordWrap* output,
                          bool final) const;

    /// Whether the element can be written for such a receiver without
    /// changing its transfer encoding.
    virtual bool encodable(const Capabilities& capabilities) const;

    /// The element written for a UTF-8 or a 7-bit receiver.
    virtual std::string str(bool utf8) const;

    /// The same as str(true).
    virtual operator std::string() const;
};

/// The base of the typed header values.
class HeaderField : public Encodable
{
};

} // namespace Mime
} // namespace Kestrava
