#pragma once

#include "mime/bodyiterator.h"
#include "mime/fields/contenttransferencoding.h"
#include "mime/fields/encodable.h"
#include "mime/string.h"

#include <deque>
#include <memory>
#include <string>

namespace Kestrava
{
namespace Filter
{
class Result;
}
namespace Mime
{

class Header;
class Object;

/// The delimiter of a multipart body: "--" and the boundary parameter.
class Separator
{
public:
    /// Throws ParseError when the header has no readable multipart type.
    explicit Separator(const Header& header);
    std::string delimiter;
};

/// One delimiter found in a text: from its first "-" to after its line end.
/// Blanks may follow the delimiter and its closing "--" (RFC 2046 5.1.1).
class Part
{
public:
    /// Searches from `from`; throws ParseError "Didn't find a next boundary".
    Part(const Separator& separator, const char* data, size_t size, size_t from);
    const char* data;
    size_t start = 0;
    size_t end = 0;
    /// The delimiter's own bytes, before any "--" and blanks.
    size_t length = 0;
    bool last = false;
};

/// One delimiter line as it stood in the source; empty for a new object.
class Boundary : public String
{
public:
    Boundary() = default;
    /// The line of a match.
    explicit Boundary(const Part& part);
    /// The mark of a last part that ran to the end of the text, with no
    /// delimiter line of its own after it; `delimited` when the line break
    /// that ends the text is not its own.
    static Boundary missing(bool delimited);

    /// Whether the line holds this delimiter.
    bool operator==(const Separator& separator) const;
    /// Writes the stored line, made a closing one or an ordinary one as
    /// asked (its blanks kept), ended by CR LF.
    size_t encode(Filter::Result* output, bool closing, bool final) const;

    /// The delimiter's own bytes at the start of the line.
    size_t length = 0;
    /// The line closes the body.
    bool closing = false;
    /// See missing().
    bool endOfText = false;
    /// A delimiter line follows the text before it (see missing()).
    bool delimited = false;
};

/// The text before the first delimiter line, without the line break before
/// that line, which is the line's (RFC 2046 5.1.1).
class Preamble : public String, public Encodable
{
public:
    /// `lineBreak`: the bytes of the line break that followed the text in
    /// the source (see Epilogue).
    Preamble(const char* data, size_t size, const Boundary& boundary = Boundary(),
             size_t lineBreak = 0)
        : String(data, size), boundary(boundary), lineBreak(lineBreak)
    {
    }
    using Encodable::encode;
    /// The text ended by CR LF, or followed by its line break as CR LF;
    /// nothing for neither.
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;
    Boundary boundary;
    size_t lineBreak;
};

/// The text after the closing delimiter line; in a nested multipart,
/// without the line break before the enclosing delimiter line.
class Epilogue : public String, public Encodable
{
public:
    /// `lineBreak`: the bytes of the line break that followed the text in
    /// the source: that of a delimiter line after it, which belongs to that
    /// line, not to the text (RFC 2046 5.1.1).
    Epilogue(const char* data, size_t size, size_t lineBreak = 0)
        : String(data, size), lineBreak(lineBreak)
    {
    }
    using Encodable::encode;
    /// As the preamble's.
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;
    size_t lineBreak;
};

/**
 * The body of a message or a part: a multipart body split into preamble,
 * parts and epilogue, or one text in a transfer encoding. It views its
 * source text; writing transcodes when the header's encoding has changed.
 */
class Body : public String, public Encodable
{
public:
    /// Splits a multipart text. A text it cannot split (no delimiter, or
    /// nested too deeply) stays whole as the preamble. `delimited`: a
    /// delimiter line follows the text, whose line break ends the text.
    Body(const Header* header, const char* data, size_t size, bool delimited = false);
    Body(const Body&) = default;
    Body& operator=(const Body&) = default;

    const Preamble& preamble() const;
    const Epilogue& epilogue() const;
    /// Views the caller's text; a null text removes it.
    void preamble(const char* data, size_t size);
    void preamble(const char* text);
    void epilogue(const char* data, size_t size);
    void epilogue(const char* text);

    /// The parts in order.
    BodyIterator begin() const { return BodyIterator(parts.begin()); }
    BodyIterator end() const { return BodyIterator(parts.end()); }

    void append(const Object& object);
    void append(Object&& object);
    void prepend(const Object& object);
    void prepend(Object&& object);

    /// No preamble, no epilogue, no parts and no text: written as nothing.
    bool empty() const;
    bool eightbit() const;
    bool sevenbit() const { return !eightbit(); }
    bool valid() const;
    bool multipart() const;

    /// Writes the decoded text of the whole body, without the line break
    /// of a delimiter line after it.
    void decode(Filter::Result* target) const;

    /// Whether the text as it stands (its content, or its preamble and
    /// epilogue) holds no byte from 0x80, no NUL and no line over the
    /// receiver's limit, whatever its label says.
    bool fits(const Capabilities& capabilities) const;
    /// By the transfer encodings, except that a text written as it stands
    /// must fit (see fits()) for a 7-bit receiver whatever its label.
    bool encodable(const Capabilities& capabilities) const override;
    using Encodable::encode;
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;

    const Header* header;
    std::shared_ptr<Preamble> preambleText;
    std::shared_ptr<Epilogue> epilogueText;
    std::deque<std::shared_ptr<Object>> parts;
    /// The message that a message part carries, once repair() has taken it
    /// apart to repair it: written instead of the text.
    std::shared_ptr<Object> message;
    ContentTransferEncoding encoding;
    /// The text is decoded and encoded anew even under its own label: raw
    /// 8-bit bytes or over-long lines in quoted-printable or base64.
    bool reencode = false;
    /// The line break that ends the text when a delimiter line follows: it
    /// belongs to that line, not to the content (RFC 2046 5.1.1).
    size_t delimiterBreak = 0;

private:
    void split();
    /// Splits at the delimiters after the first one, from `position`;
    /// returns where the epilogue starts.
    size_t splitParts(const Separator& separator, size_t position);
    size_t encodeMultipart(const Capabilities& capabilities, Filter::Result* output,
                           bool final) const;
    size_t encodeSingle(Filter::Result* output, bool final) const;
};

} // namespace Mime
} // namespace Kestrava
