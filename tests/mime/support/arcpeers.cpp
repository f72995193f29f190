#include "tests/mime/support/arcpeers.h"

#include "tests/mime/support/keyrecords.h"
#include "tests/openssl/support/process.h"
#include "tests/openssl/support/scratch.h"

#include <stdexcept>

namespace Kestrava
{
namespace Test
{

namespace
{

const std::string here = KESTRAVA_MIME_PEERS;

std::string run(Peer peer, const std::string& arguments, const std::string& message)
{
    OpenSSL::Test::Scratch scratch;
    scratch.write("input.msg", message);
    std::string command = peer == Peer::dkimpy ? "/usr/bin/python3 " + here + "/arcpy.py"
                                               : "perl " + here + "/arc.pl";
    std::string shell = command + " " + arguments + " < " + scratch.path("input.msg") + " > " +
                        scratch.path("output") + " 2> " + scratch.path("errors");
    if (OpenSSL::Test::runShell(shell) != 0)
        throw std::runtime_error(command + " failed: " + scratch.read("errors"));
    return scratch.read("output");
}

} // namespace

std::string arcSeal(Peer peer, const std::string& message, const std::string& selector,
                    const std::string& srvid)
{
    const PeerKeys& keys = sharedPeerKeys();
    std::string arguments =
        "seal " + keys.path("key.pem") + " " + selector + " example.com " + srvid;
    if (peer == Peer::mailDkim) arguments += " " + keys.path("record.txt");
    return crlf(run(peer, arguments, message));
}

std::string arcValidate(Peer peer, const std::string& message)
{
    std::string output = run(peer, "validate " + sharedPeerKeys().path("record.txt"), message);
    return output.substr(0, output.find(' '));
}

} // namespace Test
} // namespace Kestrava
