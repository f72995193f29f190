#include "tests/openssl/support/rsakeys.h"

#include "tests/openssl/support/pki.h"

#include <sstream>

namespace Kestrava
{
namespace OpenSSL
{
namespace Test
{

RsaKeys::RsaKeys()
{
    openssl("genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out " + path("rsa.key"));
    openssl("pkey -in " + path("rsa.key") + " -pubout -out " + path("rsa.pub"));
}

std::string RsaKeys::publicBase64() const
{
    return bareBase64(publicPem());
}

std::string bareBase64(const std::string& pem)
{
    std::istringstream lines(pem);
    std::string line;
    std::string base64;
    while (std::getline(lines, line))
        if (line.rfind("-----", 0) != 0) base64 += line;
    return base64;
}

} // namespace Test
} // namespace OpenSSL
} // namespace Kestrava
