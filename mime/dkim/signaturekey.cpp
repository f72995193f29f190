#include "mime/dkim/signaturekey.h"

#include "dns/blocking/context.h"
#include "dns/exception/exception.h"
#include "dns/exception/rcodeexception.h"
#include "dns/exception/timeoutexception.h"
#include "dns/hostname/hostname.h"
#include "dns/records/dkimrecords.h"
#include "filter/base64decode.h"
#include "filter/string.h"
#include "openssl/functions.h"
#include "openssl/publickey.h"

#include <cctype>

namespace Kestrava
{
namespace Mime
{
namespace detail
{

const char* keyRefusal(const OpenSSL::PublicKey& key)
{
    if (OpenSSL::EVP_PKEY_base_id(key.key()) != EVP_PKEY_RSA) return "Only RSA keys are supported";
    // Bits, not bytes: a 1017-bit modulus fills 128 bytes too.
    if (OpenSSL::EVP_PKEY_bits(key.key()) < 1024)
        return "Key too short: RSA keys must have at least 1024 bits";
    return nullptr;
}

std::string withoutSpace(const std::string& value)
{
    std::string result;
    for (char c : value)
        if (!isspace(static_cast<unsigned char>(c))) result += c;
    return result;
}

std::string signatureBytes(const std::string& value)
{
    std::string clean = withoutSpace(value);
    std::string bytes;
    Filter::String sink(&bytes);
    {
        Filter::Base64Decode decoder(false, &sink);
        decoder.process(clean.data(), clean.size(), false);
    }
    return bytes;
}

void lookUpKey(const Dns::Context& context, const std::string& domain, const std::string& selector,
               Dns::DkimRecords& records)
{
    Dns::Hostname host(domain.c_str(), false);
    std::string name = selector + "._domainkey." + host.ascii();
    bool answered = context.query(name.c_str(), ns_t_txt, &records);
    if (records.timedout()) throw Dns::TimeoutException();
    // A lookup that could not start (a name too long) will not later.
    if (!answered) throw Dns::Exception("DNS lookup not started", 7);
    if (records.rcode() > 0) throw Dns::RcodeException(records.rcode());
    if (records.records().empty()) throw Dns::Exception("No records of this type", 5);
}

} // namespace detail
} // namespace Mime
} // namespace Kestrava
