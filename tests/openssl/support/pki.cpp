#include "tests/openssl/support/pki.h"

#include "tests/openssl/support/process.h"

#include <stdexcept>

namespace Kestrava
{
namespace OpenSSL
{
namespace Test
{

namespace
{

const char* const newKey = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";

} // namespace

std::string openssl(const std::string& arguments)
{
    std::string output;
    if (runShell("openssl " + arguments, &output) != 0)
        throw std::runtime_error("openssl " + arguments + " failed: " + output);
    return output;
}

Pki::Pki()
{
    openssl(std::string("req -x509 ") + newKey + " -keyout " + path("ca.key") + " -out " +
            path("ca.pem") +
            " -subj /CN=kestrava-test-ca -days 2 -addext basicConstraints=critical,CA:TRUE" +
            " -addext keyUsage=critical,keyCertSign,cRLSign");
    for (std::string host : {"leaf.test", "second.test"})
        issue(host.substr(0, host.find('.')), "/CN=" + host,
              "subjectAltName=DNS:" + host + ",DNS:www." + host +
                  "\nkeyUsage=critical,digitalSignature,keyEncipherment\n"
                  "extendedKeyUsage=serverAuth\n");
    _scratch.write("leaf-chain.pem", _scratch.read("leaf.pem") + _scratch.read("ca.pem"));
}

void Pki::issue(const std::string& name, const std::string& subject, const std::string& extensions,
                int days) const
{
    _scratch.write(name + ".ext", extensions);
    openssl(std::string("req ") + newKey + " -keyout " + path(name + ".key") + " -out " +
            path(name + ".csr") + " -subj '" + subject + "'");
    openssl("x509 -req -in " + path(name + ".csr") + " -CA " + path("ca.pem") + " -CAkey " +
            path("ca.key") + " -CAcreateserial -days " + std::to_string(days) + " -out " +
            path(name + ".pem") + " -extfile " + path(name + ".ext"));
}

void Pki::selfSign(const std::string& name, const std::string& subject) const
{
    openssl(std::string("req -x509 ") + newKey + " -keyout " + path(name + ".key") + " -out " +
            path(name + ".pem") + " -subj '" + subject + "' -days 2");
}

std::string Pki::spkiSha256(const std::string& certificate) const
{
    std::string digest = path(certificate + ".spki.sha256");
    std::string command =
        "openssl x509 -in " + path(certificate) + " -noout -pubkey" +
        " | openssl pkey -pubin -outform DER | openssl dgst -sha256 -binary -out " + digest;
    std::string output;
    if (runShell(command, &output) != 0) throw std::runtime_error(command + " failed: " + output);
    return _scratch.read(certificate + ".spki.sha256");
}

} // namespace Test
} // namespace OpenSSL
} // namespace Kestrava
