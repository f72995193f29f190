#pragma once

#include "dns/hostname/hostname.h"
#include "mime/fields/domainpart.h"
#include "mime/fields/encodable.h"
#include "mime/fields/localpart.h"
#include "mime/fields/markers.h"

#include <string>

namespace Kestrava
{
namespace Mime
{

/**
 * One address, local part "@" domain, with its two written forms: UTF-8,
 * and for an address that needs UTF-8 the ASCII one (IDNA domain, the
 * local part as one encoded word).
 */
class Address : public HeaderField
{
public:
    /// Throws std::runtime_error "missing @", "trailing bytes after email
    /// address: " and the rest (strict only), the errors of the parts, or
    /// Dns::IdnException for a domain that has no ASCII form.
    Address(const char* data, size_t size, bool strict);
    Address(const LocalPart& local, const DomainPart& domain);
    Address(const LocalPart& local, const Dns::Hostname& host);

    /// Local parts equal and ASCII host names equal, ignoring case.
    bool operator==(const Address& other) const;
    bool operator!=(const Address& other) const { return !(*this == other); }

    /// Builds the written forms.
    void initialize();

    using HeaderField::encode;
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;
    /// Without UTF-8 only when the local part holds no raw non-ASCII bytes.
    bool encodable(const Capabilities& capabilities) const override;

    const LocalPart& localPart() const { return _local; }
    const DomainPart& domainPart() const { return _domain; }
    const Dns::Hostname& hostname() const { return _host; }
    bool needsUtf8() const { return _needsUtf8; }
    const std::string& utf8() const { return _utf8; }
    /// Empty unless the address needs UTF-8.
    const std::string& ascii() const { return _ascii; }
    size_t consumed() const { return _local.consumed() + 1 + _domain.consumed(); }

private:
    /// Whether the host name's two forms differ: an internationalised name.
    bool international() const;

    LocalPart _local;
    Require _at;
    DomainPart _domain;
    Dns::Hostname _host;
    bool _needsUtf8 = false;
    std::string _utf8;
    std::string _ascii;
};

} // namespace Mime
} // namespace Kestrava
