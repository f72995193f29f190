#pragma once

#include "mime/fields/encodable.h"
#include "mime/key.h"
#include "mime/string.h"
#include "mime/value.h"

namespace Kestrava
{
namespace Mime
{

/**
 * One header field as read or built: the raw bytes of name, colon, value
 * and folded continuation lines, with views of its name and its value.
 * Written back raw where the receiver takes it, else re-encoded and folded.
 */
class Line : public String, public Encodable
{
public:
    /// The name, parsed from raw header text or given plainly.
    class ExtKey : public Key
    {
    public:
        /// Parses the name at the start of raw header text. Throws EmptyLine
        /// at a blank line or the end, ParseError "Missing colon" or "Key
        /// cannot be retrieved (no colon)".
        ExtKey(const char* data, size_t size);
        /// A plain name, not parsed from raw text.
        explicit ExtKey(const char* name);

        /// Parsed: the raw bytes up to the value; else the name and ": ".
        size_t encode(const Capabilities& capabilities, Filter::LineLength* output,
                      bool final) const;

        /// Where the value starts in the raw bytes (0 for a plain name).
        size_t valueStart = 0;
    };

    /// The value: from its first non-blank byte, without trailing white space.
    class ExtValue : public Value
    {
    public:
        /// Parses the value and its folded continuation lines.
        ExtValue(const Key* key, const char* data, size_t size);

        /// Writes the value re-encoded for the receiver and ends the line.
        size_t encode(const Capabilities& capabilities, Filter::LineLength* output,
                      bool final) const;

        /// The name of the line it belongs to.
        const Key* key;
        /// Raw bytes of the value part: blanks, continuation lines and the
        /// final line break included.
        size_t consumed = 0;

    private:
        size_t encodeText(const Capabilities& capabilities, Filter::LineLength* output) const;
    };

    /// Cuts the first field out of raw header text; throws as ExtKey.
    Line(const char* data, size_t size);
    Line(const Line& other);
    Line& operator=(const Line& other);
    ~Line() override = default;

    /// Parses the line anew from another text, as header edits do.
    void set(const char* data, size_t size);

    using Encodable::encode;
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;

    /// Whether the value satisfies the grammar its name selects; true for
    /// names without one.
    bool valid() const;

    const ExtKey& key() const { return _key; }
    const ExtValue& value() const { return _value; }

private:
    bool raw(const Capabilities& capabilities) const;
    size_t encodeRaw(Filter::Result* output, bool final) const;

    ExtKey _key;
    ExtValue _value;
};

} // namespace Mime
} // namespace Kestrava
