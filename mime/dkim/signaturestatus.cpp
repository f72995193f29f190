#include "mime/dkim/signaturestatus.h"

#include "dns/records/dkimrecords.h"
#include "mime/dkim/algorithm.h"
#include "mime/dkim/bodyhash.h"
#include "mime/dkim/canonicalizedheader.h"
#include "mime/dkim/detail/sharedwork.h"
#include "mime/detail/ctype.h"
#include "mime/dkim/dkimsignature.h"
#include "mime/dkim/keylookups.h"
#include "mime/dkim/nakedsignature.h"
#include "mime/object.h"
#include "mime/dkim/signaturekey.h"
#include "openssl/publickey.h"
#include "openssl/signature.h"

#include <strings.h>

#include <cctype>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <map>
#include <set>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

using detail::withoutSpace;

/// Whether a colon-separated list (RFC 6376 3.6.1) holds one of the items.
bool listHolds(const std::string& list, std::initializer_list<const char*> items)
{
    size_t start = 0;
    while (start <= list.size())
    {
        size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        std::string item = withoutSpace(list.substr(start, end - start));
        for (const char* wanted : items)
            if (item == wanted) return true;
        start = end + 1;
    }
    return false;
}

/// The signed lines: the k-th naming of a field takes its k-th instance
/// from the bottom (RFC 6376 5.4.2). The header is indexed once: a long h=
/// list must not walk the header for every name.
class ShrinkingHeader
{
public:
    explicit ShrinkingHeader(const Header& header)
    {
        for (size_t i = header.size(); i-- > 0;)
            _left[detail::lowered(header.line(i).key().copy())].push_back(&header.line(i));
    }
    const Line* take(const std::string& name)
    {
        auto found = _left.find(detail::lowered(name));
        if (found == _left.end() || found->second.empty()) return nullptr;
        const Line* line = found->second.front();
        found->second.pop_front();
        return line;
    }

private:
    std::map<std::string, std::deque<const Line*>> _left;
};

/// The line whose value original() gave.
const Line* lineOf(const Header& header, const Value& value)
{
    for (const Line& line : header)
        if (line.value().data == value.data) return &line;
    return nullptr;
}

} // namespace

const char* SignatureStatus::initialize(const Dns::Context& context, const Object& object,
                                        const DkimSignature& signature)
{
    std::set<KeyName> names;
    addKeyName(names, object, signature);
    return initialize(object, signature, detail::KeyLookups(context, names));
}

void SignatureStatus::addKeyName(std::set<KeyName>& names, const Object& object,
                                 const DkimSignature& signature) const
{
    if (refusedWithoutKey(object, signature) == nullptr) detail::addKeyName(names, signature);
}

const char* SignatureStatus::refusedWithoutKey(const Object& object,
                                               const DkimSignature& signature) const
{
    // A second From would let a reader see another author than the one
    // signed (RFC 6376 8.15).
    if (object.header.all("from").size() > 1) return "More than one From field";
    if (!signature.complete()) return "Not all parameters set in signature";
    // Numbers that read empty: no length, time or expiry was signed.
    for (const char* number : {"l", "t", "x"})
    {
        auto found = signature.tags().find(number);
        if (found != signature.tags().end() && found->second.empty())
            return "Signature syntax error";
    }
    // No method this verifier knows could fetch the key (RFC 6376 3.5).
    const std::string& methods = signature.querymethods();
    if (!methods.empty() && !listHolds(methods, {"dns/txt"})) return "Unsupported query method";
    bool from = false;
    for (const std::string& name : signature.headers().names)
        from = from || strcasecmp(name.c_str(), "from") == 0;
    if (!from) return "From field not signed";
    const std::string& expiration = signature.expiration();
    unsigned long long expires = std::strtoull(expiration.c_str(), nullptr, 10);
    if (!expiration.empty() && static_cast<unsigned long long>(time(nullptr)) > expires)
        return "Signature expired";
    // An expiry must come after the signing time (RFC 6376 3.5).
    const std::string& timestamp = signature.timestamp();
    if (!expiration.empty() && !timestamp.empty() &&
        expires <= std::strtoull(timestamp.c_str(), nullptr, 10))
        return "Signature syntax error";
    return nullptr;
}

const char* SignatureStatus::initialize(const Object& object, const DkimSignature& signature,
                                        const detail::KeyLookups& keys)
{
    if (!signature.readable()) return report(permerror, "Signature syntax error");
    const std::string& domain = signature.domain();
    const std::string& selector = signature.selector();
    if (domain.empty() || selector.empty())
        return report(permerror, "Domain or selector not set in signature");
    if (const char* refusal = refusedWithoutKey(object, signature))
        return report(permerror, refusal);
    KeyName name(domain, selector);
    auto fetched = keys.fetched.find(name);
    if (fetched != keys.fetched.end())
    {
        _shared = &keys.shared;
        initialize(object, signature, fetched->second);
        _shared = nullptr;
        return result;
    }
    auto failed = keys.failed.find(name);
    if (failed == keys.failed.end() || failed->second == detail::KeyLookups::Failure::other)
        return report(permerror, "Unknown, caught exception");
    if (failed->second == detail::KeyLookups::Failure::temporary)
        return report(temperror, "Temporary exception fetching DNS");
    return report(permerror, "Permanent error fetching DNS");
}

const char* SignatureStatus::initialize(const Object& object, const DkimSignature& signature,
                                        const Dns::DkimRecords& records)
{
    if (records.records().empty()) return result = permerror;
    for (const Dns::DkimRecord& record : records.records())
        if (initialize(object, signature, record) == pass) break;
    return result;
}

const char* SignatureStatus::initialize(const Object& object, const DkimSignature& signature,
                                        const Dns::DkimRecord& record)
{
    try
    {
        if (!record.k().empty() && record.k() != "rsa")
            return report(permerror, "Only RSA keys are supported");
        if (!record.s().empty() && !listHolds(record.s(), {"*", "email"}))
            return report(permerror, "DNS record does not support email");
        Algorithm algorithm(signature.algorithm().c_str());
        if (!record.h().empty() && !listHolds(record.h(), {algorithm.digest()}))
            return report(permerror, "Algorithm key does not match signature");
        if (withoutSpace(record.p()).empty()) return report(permerror, "DNS public key is empty");
        detail::SharedWork alone;
        const OpenSSL::PublicKey& key = (_shared ? *_shared : alone).key(record);
        return initialize(object, signature, key, listHolds(record.t(), {"s"}));
    }
    catch (...)
    {
        return report(permerror, "Unknown, caught exception");
    }
}

const char* SignatureStatus::initialize(const Object& object, const DkimSignature& signature,
                                        const OpenSSL::PublicKey& key, bool)
{
    try
    {
        if (const char* refusal = refusedWithoutKey(object, signature))
            return report(permerror, refusal);
        return verify(object, signature, key);
    }
    catch (...)
    {
        return report(permerror, "Unknown, caught exception");
    }
}

const char* SignatureStatus::verify(const Object& object, const DkimSignature& signature,
                                    const OpenSSL::PublicKey& key)
{
    Algorithm algorithm(signature.algorithm().c_str());
    const std::string& method = signature.canonicalization();
    size_t slash = method.find('/');
    std::string headerMethod = method.substr(0, slash);
    std::string bodyMethod = slash == std::string::npos ? "simple" : method.substr(slash + 1);
    if (headerMethod.empty()) headerMethod = "simple";
    auto simple = [](const std::string& word)
    {
        if (strcasecmp(word.c_str(), "simple") == 0) return true;
        if (strcasecmp(word.c_str(), "relaxed") == 0) return false;
        throw std::runtime_error("unsupported canonicalization algorithm");
    };
    bool headerSimple = simple(headerMethod);
    bool bodySimple = simple(bodyMethod);
    if (const char* refusal = detail::keyRefusal(key.key())) return report(permerror, refusal);
    OpenSSL::Signature verifier(key.key(), detail::signatureBytes(signature.signature()),
                                algorithm.digest());
    std::string bodyHash = withoutSpace(signature.hash());

    CanonicalizedHeader canonical(Capabilities::utf8(), headerSimple);
    ShrinkingHeader shrinking(object.header);
    for (const std::string& name : signature.headers().names)
        if (const Line* line = shrinking.take(name)) canonical.add(*line);

    // What came over the wire, not the model written back (RFC 6376 3.7).
    detail::SharedWork alone;
    detail::SharedWork& shared = _shared ? *_shared : alone;
    size_t length = BodyHash::whole;
    if (!signature.length().empty())
    {
        unsigned long long counted = std::stoull(signature.length());
        if (counted > shared.body(object.body, bodySimple).text().size())
            return report(fail, "Body hash does not match");
        length = static_cast<size_t>(counted);
    }
    if (shared.hash(object.body, bodySimple, algorithm, length) != bodyHash)
        return report(fail, "Body hash does not match");

    const Line* own = lineOf(object.header, signature.original(object.header));
    if (own == nullptr) return report(fail, "Could not find original signature in mime");
    std::string line = NakedSignature(*own).text;
    canonical.add(own->key().copy(), line.data(), line.size());

    const std::string& text = canonical.output;
    if (!verifier.verify(text.data(), text.size()))
        return report(fail, "Header hash does not match");
    return result = pass;
}

} // namespace Mime
} // namespace Kestrava
