// Making the signatures of a new ARC set.
#include "mime/dkim/algorithm.h"
#include "mime/arc/arcauthenticationresults.h"
#include "mime/arc/arcline.h"
#include "mime/arc/arcmessagesignature.h"
#include "mime/arc/arcsealsignature.h"
#include "mime/arc/arcsignatures.h"
#include "mime/arc/arcsigndata.h"
#include "mime/arc/arctaglist.h"
#include "mime/dkim/bodyhash.h"
#include "mime/dkim/canonicalizedbody.h"
#include "mime/dkim/canonicalizedheader.h"
#include "mime/dkim/detail/defaultfields.h"
#include "mime/dkim/dkimkey.h"
#include "mime/object.h"
#include "mime/dkim/partialsignature.h"

#include <ctime>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

/// The fields a message signature covers: a DKIM signature's defaults and
/// the DKIM signatures themselves.
bool covered(const Key& name)
{
    return name == "dkim-signature" || detail::signedByDefault(name);
}

std::string now()
{
    return std::to_string(static_cast<long>(time(nullptr)));
}

} // namespace

ArcMessageSignature::ArcMessageSignature(const Capabilities& capabilities, ArcSignData& data,
                                         long expire, bool flag)
    : instance(data.instance)
{
    const DkimKey& key = data.key;
    detail::arcDigest(key.algorithm);
    Algorithm algorithm(key.algorithm.c_str());
    const Header& header = data.message.header;
    CanonicalizedHeader canonical(capabilities, false);
    for (auto line = header.rbegin(); line != header.rend(); ++line)
        if (covered(line->key())) canonical.add(*line);
    CanonicalizedBody body(capabilities, data.message.body, false);

    set("i", std::to_string(data.instance));
    set("a", key.algorithm);
    set("q", "dns/txt");
    set("c", "relaxed/relaxed");
    set("t", now());
    set("s", key.selector);
    set("d", key.domain);
    std::string names;
    for (const std::string& name : canonical.fields.names)
        names += (names.empty() ? "" : ":") + name;
    if (names.empty()) throw std::runtime_error("no field to sign");
    // From is named once more than the message holds it, so that a From
    // added above breaks the signature (RFC 6376 8.15); `flag` does that
    // for every name.
    if (!flag) names += ":From";
    headers(names.data(), names.size(), flag);
    if (expire != 0) set("x", std::to_string(expire));
    set("bh", BodyHash(body, algorithm).text);
    _auid = "@" + key.domain;

    std::string head = detail::arcHead("ARC-Message-Signature", str(true));
    canonical.add("ARC-Message-Signature", head.data(), head.size());
    set("b", PartialSignature(key, canonical.output, 72).text);
}

ArcSealSignature::ArcSealSignature(const Capabilities&, const ArcSignData& data,
                                   const ArcAuthenticationResults& results,
                                   const ArcMessageSignature& signature)
    : instance(data.instance)
{
    const DkimKey& key = data.key;
    detail::arcDigest(key.algorithm);
    set("i", std::to_string(data.instance));
    set("a", key.algorithm);
    set("s", key.selector);
    set("d", key.domain);
    set("cv", data.validation);
    set("t", now());
    _auid = "@" + key.domain;

    CanonicalizedHeader canonical(Capabilities::utf8(), false);
    // A chain that failed is not vouched for: the seal covers its own set
    // alone (RFC 8617 5.1.2).
    if (data.validation != ArcStatus::cvfail && data.signatures.order)
    {
        const ArcSealOrder& order = *data.signatures.order;
        const Header& header = data.message.header;
        for (size_t k = 0; k < order.size(); ++k)
        {
            canonical.add(header.line(order.results[k]));
            canonical.add(header.line(order.signatures[k]));
            canonical.add(header.line(order.seals[k]));
        }
    }
    std::string aar = detail::arcLine("ARC-Authentication-Results", results.str(true), "");
    canonical.add("ARC-Authentication-Results", aar.data(), aar.size());
    std::string ams = detail::arcLine("ARC-Message-Signature", signature);
    canonical.add("ARC-Message-Signature", ams.data(), ams.size());
    std::string head = detail::arcHead("ARC-Seal", str(true));
    canonical.add("ARC-Seal", head.data(), head.size());
    set("b", PartialSignature(key, canonical.output, 72).text);
}

} // namespace Mime
} // namespace Kestrava
