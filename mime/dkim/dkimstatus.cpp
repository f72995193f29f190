#include "mime/dkim/dkimstatus.h"

#include "dns/records/dkimrecords.h"
#include "mime/dkim/dkimsignature.h"
#include "mime/object.h"

#include <strings.h>

namespace Kestrava
{
namespace Mime
{

namespace
{

/// Whether `domain` is `base` or a subdomain of it, ignoring case.
bool within(const std::string& domain, const std::string& base)
{
    if (domain.size() < base.size()) return false;
    size_t offset = domain.size() - base.size();
    if (strcasecmp(domain.c_str() + offset, base.c_str()) != 0) return false;
    return offset == 0 || domain[offset - 1] == '.';
}

/// Whether the i= domain is d= or below it (RFC 6376 3.5, i= tag), or d=
/// itself when the key record's t= holds "s".
bool validAuid(const DkimSignature& signature, bool exact)
{
    const std::string& domain = signature.domain();
    std::string auid = signature.auid().empty() ? "@" + domain : signature.auid();
    size_t at = auid.rfind('@');
    if (domain.empty() || at == std::string::npos || at + 1 >= auid.size()) return false;
    std::string auidDomain = auid.substr(at + 1);
    return exact ? strcasecmp(auidDomain.c_str(), domain.c_str()) == 0 : within(auidDomain, domain);
}

} // namespace

const char* DkimStatus::initialize(const Object& object, const DkimSignature& signature,
                                   const OpenSSL::PublicKey& key, bool exact)
{
    if (!signature.readable()) return report(permerror, "Signature syntax error");
    if (!validAuid(signature, exact)) return report(permerror, "Invalid AUID");
    return SignatureStatus::initialize(object, signature, key, exact);
}

const char* DkimStatus::refusedWithoutKey(const Object& object,
                                          const DkimSignature& signature) const
{
    if (!signature.readable()) return "Signature syntax error";
    // RFC 6376 6.1.1: only version 1 is known.
    const std::string& version = signature.version();
    if (!version.empty() && version != "1") return "Incompatible version";
    if (!validAuid(signature, false)) return "Invalid AUID";
    return SignatureStatus::refusedWithoutKey(object, signature);
}

bool DkimSignature::valid(const Object& object, const OpenSSL::PublicKey& key, bool exact) const
{
    DkimStatus status(*this);
    return status.initialize(object, *this, key, exact) == Status::pass;
}

bool DkimSignature::valid(const Object& object, const Dns::DkimRecord& record) const
{
    DkimStatus status(*this);
    return status.initialize(object, *this, record) == Status::pass;
}

bool DkimSignature::valid(const Object& object, const Dns::DkimRecords& records) const
{
    DkimStatus status(*this);
    return status.initialize(object, *this, records) == Status::pass;
}

} // namespace Mime
} // namespace Kestrava
