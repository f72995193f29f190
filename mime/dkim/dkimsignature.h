#pragma once

#include "mime/dkim/dkimheaderfields.h"
#include "mime/fields/encodable.h"
#include "mime/key.h"
#include "mime/value.h"

#include <map>
#include <string>
#include <vector>

namespace Kestrava
{
namespace Dns
{
class DkimRecord;
class DkimRecords;
} // namespace Dns
namespace OpenSSL
{
class PublicKey;
}
namespace Mime
{

class Header;
class Object;

/**
 * The value of a DKIM-Signature field (RFC 6376 3.5): tags in the order in
 * which they were read or first set, written back in that order. The ARC
 * signature values derive from it.
 */
class DkimSignature : public HeaderField
{
public:
    DkimSignature() = default;
    /// Parses a tag list. `strict`: the tag grammars, errors instead of
    /// skipped tags, a complete signature; `domainOnly`: the AUID is "@" and
    /// d= whatever i= says. Throws std::runtime_error.
    DkimSignature(const char* data, size_t size, bool strict, bool domainOnly);

    /// A value that does not read, kept as written and without tags: its
    /// verdict is the permanent error of a syntax error, where leaving it
    /// out would give none, as if the message were not signed
    /// (RFC 6376 6.1.1; RFC 8601 2.7.1).
    static DkimSignature unreadable(const char* data, size_t size);
    /// False for one made by unreadable().
    bool readable() const { return _readable; }

    using HeaderField::encode;
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;
    size_t encode(const Capabilities& capabilities, Filter::LineLength* output,
                  bool final) const override;
    size_t encode(const Capabilities& capabilities, Filter::WordWrap* output,
                  bool final) const override;

    /// v, a, b, bh, d and s have values and h= names a field.
    virtual bool complete() const;
    /// The field name of the signature.
    virtual Key key() const;
    /// The value of the header line this signature was read from, or the
    /// shared empty value.
    virtual const Value& original(const Header& header) const;

    const std::string& version() const { return tag("v"); }
    const std::string& algorithm() const { return tag("a"); }
    const std::string& signature() const { return tag("b"); }
    const std::string& hash() const { return tag("bh"); }
    const std::string& canonicalization() const { return tag("c"); }
    const std::string& domain() const { return tag("d"); }
    const std::string& selector() const { return tag("s"); }
    const std::string& querymethods() const { return tag("q"); }
    const std::string& length() const { return tag("l"); }
    const std::string& timestamp() const { return tag("t"); }
    const std::string& expiration() const { return tag("x"); }
    const std::string& auid() const { return _auid; }
    bool report() const { return _tags.count("r") > 0; }
    const DkimHeaderFields& headers() const { return _headers; }
    const std::vector<std::string>& copiedHeaders() const { return _copied; }
    const std::map<std::string, std::string>& tags() const { return _tags; }

    void version(const char* value) { set("v", value); }
    void algorithm(std::string value) { set("a", std::move(value)); }
    void hash(std::string value) { set("bh", std::move(value)); }
    void canonicalization(const char* value) { set("c", value); }
    void domain(const char* value) { set("d", value); }
    void selector(std::string value) { set("s", std::move(value)); }
    void querymethods(const char* value) { set("q", value); }
    void timestamp(std::string value) { set("t", std::move(value)); }
    void expiration(std::string value) { set("x", std::move(value)); }
    void report(bool value);
    /// Replaces the h= list; `twice` adds one more copy of every name but
    /// key() after its last one (names compare ignoring case), so that an
    /// added instance breaks the signature.
    void headers(const char* data, size_t size, bool twice);

    /// Whether a fresh DkimStatus over this signature gives "pass".
    bool valid(const Object& object, const OpenSSL::PublicKey& key, bool exact) const;
    bool valid(const Object& object, const Dns::DkimRecord& record) const;
    bool valid(const Object& object, const Dns::DkimRecords& records) const;

protected:
    const std::string& tag(const char* name) const;
    void set(const std::string& name, std::string value);

    std::vector<std::string> _order;
    std::map<std::string, std::string> _tags;
    DkimHeaderFields _headers;
    std::vector<std::string> _copied;
    std::string _auid;
    /// The value as it was read; empty for a signature built by setters.
    std::string _text;

private:
    bool _readable = true;

    /// Reads one tag at `position`; returns where it ended.
    size_t parseTag(const char* data, size_t size, size_t position, bool strict);
    void finish(bool strict, bool domainOnly);
};

} // namespace Mime
} // namespace Kestrava
