#include "filter/base64decode.h"
#include "filter/string.h"
#include "mime/arcsealorder.h"
#include "mime/arcstatus.h"
#include "mime/arctaglist.h"
#include "mime/canonicalizedheader.h"
#include "mime/dkimsignature.h"
#include "mime/header.h"
#include "mime/nakedsignature.h"
#include "mime/object.h"
#include "openssl/functions.h"
#include "openssl/publickey.h"
#include "openssl/signature.h"

#include <cctype>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

/// The smallest RSA modulus accepted, in bytes: 1024 bits (RFC 8301 3.2).
constexpr int smallestKey = 128;

std::string decoded(const std::string& base64)
{
    std::string clean;
    for (char c : base64)
        if (!isspace(static_cast<unsigned char>(c))) clean += c;
    std::string bytes;
    Filter::String sink(&bytes);
    {
        Filter::Base64Decode decoder(false, &sink);
        decoder.process(clean.data(), clean.size(), false);
    }
    return bytes;
}

} // namespace

const char* ArcSealStatus::initialize(const Object&, const DkimSignature& seal,
                                      const OpenSSL::PublicKey& key, bool)
{
    if (!seal.complete()) return report(permerror, "Not all parameters set in signature");
    try
    {
        if (OpenSSL::EVP_PKEY_size(key.key()) < smallestKey)
            return report(permerror, "Key too short: RSA keys must have at least 1024 bits");
        std::string text = signedText(seal);
        OpenSSL::Signature verifier(key.key(), decoded(seal.signature()),
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
    // The seal's own line as it stands, less its b= value.
    const Line& own = header.line(order.seals[instance - 1]);
    size_t valueStart = own.key().valueStart;
    NakedSignature naked(own.data + valueStart, own.size - valueStart);
    std::string line(own.data, valueStart);
    line += naked.text;
    canonical.add(own.key().copy(), line.data(), line.size());
    return canonical.output;
}

} // namespace Mime
} // namespace Kestrava
