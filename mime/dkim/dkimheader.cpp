#include "mime/dkim/dkimheader.h"

#include "dns/hostname/hostname.h"
#include "mime/dkim/algorithm.h"
#include "mime/dkim/bodyhash.h"
#include "mime/dkim/canonicalization.h"
#include "mime/dkim/canonicalizedbody.h"
#include "mime/dkim/canonicalizedheader.h"
#include "mime/dkim/detail/defaultfields.h"
#include "mime/dkim/detail/foldedfield.h"
#include "mime/dkim/dkimkey.h"
#include "mime/dkim/dkimsignature.h"
#include "mime/object.h"
#include "mime/dkim/partialsignature.h"
#include "mime/dkim/signaturekey.h"
#include "openssl/base64.h"
#include "openssl/signature.h"

#include <strings.h>

#include <ctime>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

std::string joined(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ":") + name;
    return text;
}

} // namespace

bool DkimHeader::ownedBy(const Line& line, const DkimKey& key)
{
    if (!(line.key() == "dkim-signature")) return false;
    try
    {
        DkimSignature signature(line.value().data, line.value().size, false, false);
        if (!signature.complete()) return false;
        Dns::Hostname domain(signature.domain().c_str(), false);
        return strcasecmp(domain.ascii(), key.domain.c_str()) == 0 &&
               strcasecmp(signature.selector().c_str(), key.selector.c_str()) == 0;
    }
    catch (const std::exception&)
    {
        return false;
    }
}

template <typename List>
DkimHeader::DkimHeader(const Capabilities& capabilities, const Object& object, const DkimKey& key,
                       const ExtraHeaders<List>& extra, long expire, bool twice,
                       const Canonicalization& canonicalization)
{
    const Header& header = object.header;
    if (header.get("from").size == 0)
        throw std::runtime_error("Cannot create DKIM header without a from address");
    CanonicalizedHeader canonical(capabilities, canonicalization.headerSimple);
    for (auto line = header.rbegin(); line != header.rend(); ++line)
    {
        const Key& name = line->key();
        if (!detail::signedByDefault(name) && !extra.contains(name.data, name.size)) continue;
        // The old signature of this key goes before the new one is added.
        if (ownedBy(*line, key)) continue;
        canonical.add(*line);
    }
    CanonicalizedBody body(capabilities, object.body, canonicalization.bodySimple);
    Algorithm algorithm(key.algorithm.c_str());

    DkimSignature signature;
    signature.version("1");
    signature.algorithm(key.algorithm);
    signature.querymethods("dns/txt");
    signature.timestamp(std::to_string(static_cast<long>(time(nullptr))));
    signature.canonicalization(canonicalization.text());
    signature.selector(key.selector);
    signature.hash(BodyHash(body, algorithm).text);
    signature.domain(key.domain.c_str());
    std::string names = joined(canonical.fields.names);
    // From is named once more than the message holds it, so that a From
    // added above the signed one breaks the signature (RFC 6376 8.15);
    // `twice` does that for every name.
    if (!twice) names += ":From";
    signature.headers(names.data(), names.size(), twice);
    signature.report(key.report);
    if (expire != 0) signature.expiration(std::to_string(expire));

    std::string head = detail::foldedField("DKIM-Signature", signature.str(true) + ";") + "\r\n b=";
    canonical.add("DKIM-Signature", head.data(), head.size());
    PartialSignature pieces(key, canonical.output, 72);
    line = head + detail::foldedPieces(pieces.text) + "\r\n";
    value = line.substr(16, line.size() - 18);
}

template DkimHeader::DkimHeader(const Capabilities&, const Object&, const DkimKey&,
                                const ExtraHeaders<std::initializer_list<const char*>>&, long, bool,
                                const Canonicalization&);
template DkimHeader::DkimHeader(const Capabilities&, const Object&, const DkimKey&,
                                const ExtraHeaders<std::vector<std::string>>&, long, bool,
                                const Canonicalization&);
template DkimHeader::DkimHeader(const Capabilities&, const Object&, const DkimKey&,
                                const ExtraHeaders<std::vector<const char*>>&, long, bool,
                                const Canonicalization&);

PartialSignature::PartialSignature(const DkimKey& key, const std::string& data, size_t first)
{
    if (const char* refusal = detail::keyRefusal(key.key.key())) throw std::runtime_error(refusal);
    Algorithm algorithm(key.algorithm.c_str());
    OpenSSL::Signature signature(key.key.key(), data.data(), data.size(), algorithm.digest());
    std::string base64 = OpenSSL::Base64::encode(signature.data(), signature.size(), false);
    if (base64.empty()) throw std::runtime_error("signature cannot be encoded");
    size_t piece = first;
    for (size_t i = 0; i < base64.size(); i += piece, piece = 74)
    {
        if (i > 0) text += ' ';
        text += base64.substr(i, piece);
    }
}

Object::ExtHeader& Object::ExtHeader::prepend(const DkimHeader& header)
{
    const char* text = preserve(header.line.data(), header.line.size());
    insert(0, "DKIM-Signature", text);
    return *this;
}

template <typename List>
bool Object::signWith(const Capabilities& capabilities, const DkimKey& key, const List& extra,
                      long expire, bool twice, const Canonicalization& canonicalization)
{
    try
    {
        DkimHeader signature(capabilities, *this, key, ExtraHeaders<List>(extra), expire, twice,
                             canonicalization);
        unsign(key);
        header.prepend(signature);
        return true;
    }
    catch (...)
    {
        return false;
    }
}

bool Object::sign(const Capabilities& capabilities, const DkimKey& key,
                  const std::initializer_list<const char*>& extra, long expire, bool twice,
                  const Canonicalization& canonicalization)
{
    return signWith(capabilities, key, extra, expire, twice, canonicalization);
}

bool Object::sign(const Capabilities& capabilities, const DkimKey& key,
                  const std::vector<std::string>& extra, long expire, bool twice,
                  const Canonicalization& canonicalization)
{
    return signWith(capabilities, key, extra, expire, twice, canonicalization);
}

bool Object::sign(const Capabilities& capabilities, const DkimKey& key,
                  const std::vector<const char*>& extra, long expire, bool twice,
                  const Canonicalization& canonicalization)
{
    return signWith(capabilities, key, extra, expire, twice, canonicalization);
}

bool Object::sign(const Capabilities& capabilities, const DkimKey& key, long expire, bool twice,
                  const Canonicalization& canonicalization)
{
    return signWith(capabilities, key, std::vector<const char*>(), expire, twice, canonicalization);
}

void Object::unsign(const DkimKey& key)
{
    for (size_t i = 0; i < header.size();)
    {
        if (DkimHeader::ownedBy(header.line(i), key))
            header.remove(i);
        else
            ++i;
    }
}

} // namespace Mime
} // namespace Kestrava
