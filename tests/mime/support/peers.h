#pragma once

#include "tests/openssl/support/scratch.h"

#include <string>

namespace Kestrava
{
namespace Test
{

class PeerKeys;

/// One 2048-bit key pair for all the tests of a binary.
const PeerKeys& sharedPeerKeys();

/// The DKIM implementations we check ourselves against.
enum class Peer
{
    dkimpy,
    mailDkim,
    opendkim,
};

const char* name(Peer peer);

/// One key pair for the peers: "key.pem" and the key record "record.txt"
/// for selector "peer" of "example.com".
class PeerKeys
{
public:
    /// `bits` of RSA, made by the openssl command line.
    explicit PeerKeys(int bits = 2048);
    std::string path(const std::string& name) const { return _scratch.path(name); }
    std::string privatePem() const { return _scratch.read("key.pem"); }
    std::string record() const { return _scratch.read("record.txt"); }
    std::string publicBase64() const { return _base64; }

    /// The message with the peer's signature, CR LF line ends.
    std::string sign(Peer peer, const std::string& message, const std::string& canonicalization,
                     const std::string& algorithm) const;
    /// The peer's result word ("pass" on success).
    std::string verify(Peer peer, const std::string& message) const;
    /// The output of a shell command given the input; throws with its
    /// errors when it fails.
    std::string run(const std::string& command, const std::string& input) const;

private:
    OpenSSL::Test::Scratch _scratch;
    std::string _base64;
};

} // namespace Test
} // namespace Kestrava
