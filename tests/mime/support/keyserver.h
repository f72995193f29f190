#pragma once

#include "tests/openssl/support/process.h"
#include "tests/openssl/support/scratch.h"

#include <memory>
#include <string>
#include <vector>

namespace Kestrava
{
namespace Test
{

/**
 * dnsmasq on `address`, port 53, answering for `domains` alone and logging
 * every query; each of `names` has the key record of `base64` split over
 * three character-strings. Names under silent.example go to the scripted
 * server of namespace.sh, which keeps silent for those starting "silent". /etc/resolv.conf is
 * bind-mounted to a file of ours until the object goes: only inside tests/dns/namespace.sh, where
 * port 53 and /etc are the test's own.
 */
class KeyServer
{
public:
    KeyServer(const std::string& address, const std::string& base64,
              const std::vector<std::string>& names, const std::vector<std::string>& domains);
    KeyServer(const KeyServer&) = delete;
    KeyServer& operator=(const KeyServer&) = delete;
    ~KeyServer();

    /// Makes `nameserver` the system's only name server, asked `attempts`
    /// times for a second each: an empty list would mean 127.0.0.1, where
    /// the namespace's own dnsmasq answers.
    void use(const std::string& nameserver, int attempts = 1) const;
    /// How often dnsmasq was asked for the TXT record of `name` so far.
    int queries(const std::string& name) const;

private:
    OpenSSL::Test::Scratch _scratch;
    std::unique_ptr<OpenSSL::Test::Process> _dnsmasq;
};

} // namespace Test
} // namespace Kestrava
