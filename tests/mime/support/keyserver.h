#pragma once

#include "tests/openssl/support/process.h"
#include "tests/openssl/support/scratch.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Kestrava
{
namespace Test
{

/**
 * dnsmasq on `address`, port 53, answering for `domains` alone and logging
 * every query; each of `names` has the key record of `base64` split over
 * three character-strings. Names under silent.example and anything.test go
 * to the scripted server of namespace.sh, which keeps silent for those
 * starting "silent" and has every record of every name under anything.test
 * (a TXT record "v=spf1 -all"). /etc/resolv.conf is
 * bind-mounted to a file of ours until the object goes: only inside tests/dns/namespace.sh, where
 * port 53 and /etc are the test's own.
 */
class KeyServer
{
public:
    /// Each of `aliases` is a name and the name it is an alias of (CNAME).
    KeyServer(const std::string& address, const std::string& base64,
              const std::vector<std::string>& names, const std::vector<std::string>& domains,
              const std::vector<std::pair<std::string, std::string>>& aliases = {});
    KeyServer(const KeyServer&) = delete;
    KeyServer& operator=(const KeyServer&) = delete;
    ~KeyServer();

    /// Makes `nameservers` (addresses separated by spaces) the system's
    /// name servers, asked in `attempts` rounds for a second each: an empty
    /// list would mean 127.0.0.1, where the namespace's own dnsmasq answers.
    /// `lines` are more lines of the file, such as a search list.
    void use(const std::string& nameservers, int attempts = 1, const std::string& lines = "") const;
    /// How often dnsmasq was asked for the TXT record of `name` so far.
    int queries(const std::string& name) const;

private:
    OpenSSL::Test::Scratch _scratch;
    std::unique_ptr<OpenSSL::Test::Process> _dnsmasq;
};

} // namespace Test
} // namespace Kestrava
