#include "tests/mime/support/peers.h"

#include "tests/mime/support/keyrecords.h"
#include "tests/openssl/support/process.h"

#include <sstream>
#include <stdexcept>

namespace Kestrava
{
namespace Test
{

namespace
{

const std::string here = KESTRAVA_MIME_PEERS;

} // namespace

const PeerKeys& sharedPeerKeys()
{
    static const PeerKeys keys;
    return keys;
}

const char* name(Peer peer)
{
    switch (peer)
    {
    case Peer::dkimpy:
        return "dkimpy";
    case Peer::mailDkim:
        return "MailDkim";
    default:
        return "opendkim";
    }
}

PeerKeys::PeerKeys(int bits)
{
    std::string key = path("key.pem");
    if (OpenSSL::Test::runShell("openssl genrsa -out " + key + " " + std::to_string(bits) +
                                " 2>/dev/null && openssl rsa -in " + key + " -pubout -out " +
                                path("pub.pem") + " 2>/dev/null") != 0)
        throw std::runtime_error("openssl cannot make a key");
    std::istringstream lines(_scratch.read("pub.pem"));
    std::string line;
    while (std::getline(lines, line))
        if (line.rfind("-----", 0) != 0) _base64 += line;
    _scratch.write("record.txt", "v=DKIM1; k=rsa; p=" + _base64);
    _scratch.write("keys.txt", "peer._domainkey.example.com v=DKIM1; k=rsa; p=" + _base64 + "\n");
    _scratch.write("opendkim.conf",
                   "Mode v\nTestPublicKeys " + path("keys.txt") + "\nMinimumKeyBits 512\n");
}

std::string PeerKeys::run(const std::string& command, const std::string& input) const
{
    _scratch.write("input.msg", input);
    std::string shell =
        command + " < " + path("input.msg") + " > " + path("output") + " 2> " + path("errors");
    if (OpenSSL::Test::runShell(shell) != 0)
        throw std::runtime_error(command + " failed: " + _scratch.read("errors"));
    return _scratch.read("output");
}

std::string PeerKeys::sign(Peer peer, const std::string& message,
                           const std::string& canonicalization, const std::string& algorithm) const
{
    std::string arguments =
        " sign " + path("key.pem") + " peer example.com " + canonicalization + " " + algorithm;
    if (peer == Peer::dkimpy)
        return crlf(run("/usr/bin/python3 " + here + "/dkimpy.py" + arguments, message));
    if (peer == Peer::mailDkim)
        return crlf(run("perl " + here + "/maildkim.pl" + arguments, message));
    return crlf(run(std::string(KESTRAVA_OPENDKIM_SIGN) + arguments.substr(5), message));
}

std::string PeerKeys::verify(Peer peer, const std::string& message) const
{
    if (peer == Peer::dkimpy)
        return run("/usr/bin/python3 " + here + "/dkimpy.py verify " + path("record.txt"), message)
            .substr(0, 4);
    if (peer == Peer::mailDkim)
    {
        std::string word =
            run("perl " + here + "/maildkim.pl verify " + path("record.txt"), message);
        return word.substr(0, word.find('\n'));
    }
    _scratch.write("input.msg", message);
    std::string output;
    OpenSSL::Test::runShell("opendkim -x " + path("opendkim.conf") + " -t " + path("input.msg"),
                            &output);
    return output.find("-bit key) succeeded") != std::string::npos ? "pass" : output;
}

} // namespace Test
} // namespace Kestrava
