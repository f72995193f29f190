#pragma once

#include "mime/body.h"
#include "mime/fields/encodable.h"
#include "mime/header.h"

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace Kestrava
{
namespace Dns
{
class Context;
}
namespace Mime
{

class ArcPublicKeys;
class ArcSignatures;
class AuthenticationResults;
class Canonicalization;
class DkimHeader;
class DkimKey;
class DkimSignature;

/**
 * One message or MIME part: a header block and a body, parsed from a text
 * the caller keeps alive, or made around a body. It writes itself back,
 * changes its transfer encoding for 7-bit receivers, and signs itself.
 */
class Object : public Encodable
{
public:
    /// The header block with its parsing constructors.
    class ExtHeader : public Header
    {
    public:
        ExtHeader() = default;
        /// Parses the block at the start of the text. A line that is no
        /// field ends it and starts the body, without a blank line, unless
        /// readers read past it (Line::unnamed()). Throws
        /// FatalError "Empty header" for an empty text, unless `part`: a
        /// part may be empty.
        ExtHeader(const char* data, size_t size, bool part = false);
        explicit ExtHeader(const char* text);
        /// The bytes of the source text that the block took.
        size_t bytes() const { return _bytes; }
        /// Whether a blank line ended the block: a parsed block may end at
        /// the end of the text or where the body starts without one.
        bool blankLine() const { return _blankLine; }
        /// Whether an edit has written a line since the block was read.
        bool edited() const { return !_strings.empty(); }
        /// The lines that opened the block and that readers read past (see
        /// Line::unnamed()), or none: written before every field.
        const std::optional<Line>& lead() const { return _lead; }
        /// Puts the complete text of a new signature line in front.
        ExtHeader& prepend(const DkimHeader& header);
        using Header::prepend;
        /// Puts the complete text of a line, ended by CR LF, in front as
        /// it is.
        ExtHeader& prependLine(const char* name, const std::string& text);

        /// Reorders all lines (unstable).
        ExtHeader& sort(const std::function<bool(const Line&, const Line&)>& less);
        /// Reorders the lines of the name among their own places by value.
        ExtHeader& sort(const Key& key,
                        const std::function<bool(const Value&, const Value&)>& less);
        /// Reorders the DKIM-Signature lines among their own places; those
        /// that do not parse go after the others, in their order.
        ExtHeader&
        sort(const std::function<bool(const DkimSignature&, const DkimSignature&)>& less);

    private:
        void parse(const char* data, size_t size, bool keepSeparator);

        bool _blankLine = true;
        std::optional<Line> _lead;
    };

    /// The body, with the delimiter line that ended it as a part.
    class ExtBody : public Body
    {
    public:
        using Body::Body;
        explicit ExtBody(const Body& body) : Body(body) {}
        explicit ExtBody(Body&& body) : Body(std::move(body)) {}
        Boundary boundary;
    };

    /// A whole message: the header block and the rest of the text.
    Object(const char* data, size_t size);
    /// One part of a multipart body: its text between two delimiter lines
    /// (possibly none) and the line that ended it.
    Object(const char* data, size_t size, const Boundary& boundary);
    explicit Object(const Body& body);
    explicit Object(Body&& body);
    Object(const Object& other);
    Object(Object&& other);
    Object& operator=(const Object&) = delete;

    using Encodable::encode;
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;
    bool encodable(const Capabilities& capabilities) const override;
    /// Sets the transfer encodings so that the object goes out as 7-bit.
    /// No encoding but 7bit, 8bit and binary may carry a multipart or a
    /// message type (RFC 2045 6.4, RFC 2046 5.2): those are repaired
    /// inside and labelled "7bit" (an embedded message unless it is signed;
    /// then it is left as it is), never encoded whole; a message type that
    /// holds no message (a delivery status, say) is left as it is, and so
    /// is the signed part of a signed multipart. A text in an encoding not
    /// known here is left as it is.
    void repair(const Capabilities& capabilities);
    /// repair() unless already encodable; false, unchanged, for a signed
    /// message unless it goes out as read, and false when the signed part of
    /// a signed multipart or an ARC field would not. True only when what is
    /// then written goes to such a receiver as it stands: for a 7-bit one,
    /// CR LF line ends only, no line over its limit, no byte from 0x80 and
    /// no NUL, header included, and no multipart or message labelled 8bit
    /// or binary.
    bool fix(const Capabilities& capabilities);

    /// Adds a DKIM-Signature of the key after removing its older ones;
    /// false, and never an exception, when that fails. h= names From once
    /// more than the message holds it; `twice` does so for every name.
    bool sign(const Capabilities& capabilities, const DkimKey& key,
              const std::initializer_list<const char*>& extra, long expire, bool twice,
              const Canonicalization& canonicalization);
    bool sign(const Capabilities& capabilities, const DkimKey& key,
              const std::vector<std::string>& extra, long expire, bool twice,
              const Canonicalization& canonicalization);
    bool sign(const Capabilities& capabilities, const DkimKey& key,
              const std::vector<const char*>& extra, long expire, bool twice,
              const Canonicalization& canonicalization);
    bool sign(const Capabilities& capabilities, const DkimKey& key, long expire, bool twice,
              const Canonicalization& canonicalization);
    /// Removes the DKIM-Signature lines of this key; never throws.
    void unsign(const DkimKey& key);

    /// Adds an ARC set of the key with the results after validating the
    /// chain, its keys looked up through the context; false, the header
    /// unchanged, when that fails. Never throws.
    bool resign(Dns::Context& context, const Capabilities& capabilities, const DkimKey& key,
                const AuthenticationResults& results, long expire, bool flag);
    bool resign(const Capabilities& capabilities, const ArcSignatures& signatures,
                const ArcPublicKeys& keys, const DkimKey& key, const AuthenticationResults& results,
                long expire, bool flag);
    /// Seals the results of every Authentication-Results field of that
    /// service, keys looked up through the system's name servers.
    bool resign(const Capabilities& capabilities, const DkimKey& key, const std::string& authservId,
                long expire, bool flag);
    /// Removes the newest ARC sets added by these services; never throws.
    void unresign(const std::vector<std::string>& authservIds);

    ExtHeader header;
    ExtBody body;

private:
    void repair(const Capabilities& capabilities, bool inDigest, size_t depth);
    void repairMessage(const Capabilities& capabilities, size_t depth);
    /// Whether the object as written goes to the receiver as it stands: its
    /// bytes and its labels.
    bool goesOut(const Capabilities& capabilities) const;
    template <typename List>
    bool signWith(const Capabilities& capabilities, const DkimKey& key, const List& extra,
                  long expire, bool twice, const Canonicalization& canonicalization);
};

} // namespace Mime
} // namespace Kestrava
