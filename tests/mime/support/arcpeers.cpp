#include "tests/mime/support/arcpeers.h"

#include "tests/mime/support/keyrecords.h"

namespace Kestrava
{
namespace Test
{

namespace
{

const std::string here = KESTRAVA_MIME_PEERS;

std::string run(Peer peer, const std::string& arguments, const std::string& message)
{
    std::string command = peer == Peer::dkimpy ? "/usr/bin/python3 " + here + "/arcpy.py"
                                               : "perl " + here + "/arc.pl";
    return sharedPeerKeys().run(command + " " + arguments, message);
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
