#include "mime/arc/arcsealorder.h"
#include "mime/arc/arcstatus.h"
#include "mime/arc/arctaglist.h"
#include "mime/dkim/canonicalizedheader.h"
#include "mime/dkim/dkimsignature.h"
#include "mime/header.h"
#include "mime/dkim/nakedsignature.h"
#include "mime/object.h"
#include "mime/dkim/signaturekey.h"
#include "openssl/publickey.h"
#include "openssl/signature.h"

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

const char* ArcSealStatus::initialize(const Object&, const DkimSignature& seal,
                                      const OpenSSL::PublicKey& key, bool)
{
    if (!seal.complete()) return report(permerror, "Not all parameters set in signature");
    try
    {
        if (const char* refusal = detail::keyRefusal(key.key())) return report(permerror, refusal);
        std::string text = signedText(seal);
        OpenSSL::Signature verifier(key.key(), detail::signatureBytes(seal.signature()),
                                    detail::arcDigest(seal.algorithm()));
        if (!verifier.verify(text.data(), text.size()))
            return report(permerror, "Header hash does not match");
        return result = pass;
    }
    catch (const std::runtime_error&)
    {
        return report(permerror, "Header hash does not match");
    }
    catch (...)
    {
        return report(permerror, "Unknown, caught exception");
    }
}

std::string ArcSealStatus::signedText(const DkimSignature& seal) const
{
    size_t instance = static_cast<size_t>(std::stoi(seal.tags().at("i")));
    if (instance < 1 || instance > order.size()) throw std::out_of_range("no such instance");
    CanonicalizedHeader canonical(Capabilities::utf8(), false);
    const Header& header = order.header;
    for (size_t k = 1; k <= instance; ++k)
    {
        canonical.add(header.line(order.results[k - 1]));
        canonical.add(header.line(order.signatures[k - 1]));
        if (k < instance) canonical.add(header.line(order.seals[k - 1]));
    }
    const Line& own = header.line(order.seals[instance - 1]);
    std::string line = NakedSignature(own).text;
    canonical.add(own.key().copy(), line.data(), line.size());
    return canonical.output;
}

} // namespace Mime
} // namespace Kestrava
