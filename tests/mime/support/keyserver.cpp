#include "tests/mime/support/keyserver.h"

#include <sys/mount.h>

#include <chrono>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace Kestrava
{
namespace Test
{

KeyServer::KeyServer(const std::string& address, const std::string& base64,
                     const std::vector<std::string>& names, const std::vector<std::string>& domains,
                     const std::vector<std::pair<std::string, std::string>>& aliases)
{
    _scratch.write("resolv.conf", "options timeout:1 attempts:1\n");
    if (mount(_scratch.path("resolv.conf").c_str(), "/etc/resolv.conf", nullptr, MS_BIND,
              nullptr) != 0)
        throw std::runtime_error("cannot mount over /etc/resolv.conf");
    std::vector<std::string> arguments = {"/usr/sbin/dnsmasq",
                                          "--keep-in-foreground",
                                          "--conf-file=/dev/null",
                                          "--no-resolv",
                                          "--no-hosts",
                                          "--bind-interfaces",
                                          "--listen-address=" + address,
                                          "--port=53",
                                          "--user=root",
                                          "--pid-file=",
                                          "--log-queries",
                                          "--log-facility=" + _scratch.path("queries.log")};
    for (const std::string& domain : domains)
        arguments.push_back("--local=/" + domain + "/");
    arguments.push_back("--server=/silent.example/127.0.0.2");
    arguments.push_back("--server=/anything.test/127.0.0.2");
    for (const std::string& name : names)
        // dnsmasq cuts the record into character-strings at the commas.
        arguments.push_back("--txt-record=" + name + ",v=DKIM1; k=rsa; ,p=" +
                            base64.substr(0, 200) + "," + base64.substr(200));
    for (const auto& alias : aliases)
        arguments.push_back("--cname=" + alias.first + "," + alias.second);
    _dnsmasq = std::make_unique<OpenSSL::Test::Process>(arguments, _scratch.path("dnsmasq.log"));
    for (int i = 0;
         i < 100 && OpenSSL::Test::runShell("ss -Hlun 'sport = :53' | grep -q " + address) != 0;
         ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

KeyServer::~KeyServer()
{
    _dnsmasq.reset();
    umount("/etc/resolv.conf");
}

void KeyServer::use(const std::string& nameservers, int attempts, const std::string& lines) const
{
    std::string conf;
    std::istringstream addresses(nameservers);
    for (std::string address; addresses >> address;)
        conf += "nameserver " + address + "\n";
    _scratch.write("resolv.conf",
                   conf + "options timeout:1 attempts:" + std::to_string(attempts) + "\n" + lines);
}

int KeyServer::queries(const std::string& name) const
{
    std::string log = _scratch.read("queries.log");
    std::string query = "query[TXT] " + name + " ";
    int count = 0;
    for (size_t at = log.find(query); at != std::string::npos; at = log.find(query, at + 1))
        ++count;
    return count;
}

} // namespace Test
} // namespace Kestrava
