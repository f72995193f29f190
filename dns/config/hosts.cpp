#include "dns/config/hosts.h"

#include "dns/handler.h"
#include "dns/message/fakeresponse.h"
#include "dns/message/record.h"
#include "dns/message/request.h"
#include "dns/message/response.h"
#include "dns/message/reverse.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <strings.h>

namespace DNS
{

bool Hosts::HostnameCompare::operator()(const char* a, const char* b) const
{
    return strcasecmp(a, b) < 0;
}

Hosts::Hosts(const char* path)
{
    if (!load(path)) throw std::runtime_error(std::string(path) + ": failed to open file");
}

bool Hosts::load(const char* path)
{
    std::ifstream file(path);
    if (!file) return false;
    std::string line;
    while (std::getline(file, line))
    {
        // A '#' starts a comment wherever it stands: what follows is no name.
        line.erase(std::min(line.find('#'), line.size()));
        // Read word by word: tabs and a CR before the newline separate like spaces.
        std::istringstream tokens(line);
        std::string address;
        if (!(tokens >> address)) continue;
        try
        {
            Ip ip(address.c_str());
            for (std::string name; tokens >> name;)
                add(ip, name);
        }
        catch (const std::runtime_error&)
        {
            // Not an address: not a host line.
        }
    }
    return true;
}

void Hosts::add(const Ip& ip, const std::string& name)
{
    const char* stored = _names.insert(_names.end(), name)->c_str();
    _addresses.emplace(stored, ip);
    _hostnames.emplace(ip, stored);
}

const Ip* Hosts::lookup(const char* name, unsigned version) const
{
    auto range = _addresses.equal_range(name);
    for (auto entry = range.first; entry != range.second; ++entry)
        if (version == 0 || entry->second.version() == version) return &entry->second;
    return nullptr;
}

const char* Hosts::lookup(const Ip& ip) const
{
    // The first of the names listed for it, where find could give any.
    auto entry = _hostnames.lower_bound(ip);
    return entry != _hostnames.end() && entry->first == ip ? entry->second : nullptr;
}

void Hosts::notify(const Request& request, Handler* handler, const Operation* operation) const
{
    Question question(request, 0);
    FakeResponse response(request, question);
    if (question.type() == ns_t_ptr)
    {
        Reverse reverse(question.name());
        if (const char* hostname = lookup(reverse.ip())) response.append(question.name(), hostname);
    }
    else
    {
        auto range = _addresses.equal_range(question.name());
        for (auto entry = range.first; entry != range.second; ++entry)
        {
            const Ip& ip = entry->second;
            if ((ip.version() == 4 && question.type() == ns_t_a) ||
                (ip.version() == 6 && question.type() == ns_t_aaaa))
                response.append(question.name(), ip);
        }
    }
    handler->onReceived(operation, Response(response.data(), response.size()));
}

} // namespace DNS
