#include "dns/config/hosts.h"

#include "dns/handler.h"
#include "dns/message/fakeresponse.h"
#include "dns/message/record.h"
#include "dns/message/request.h"
#include "dns/message/response.h"
#include "dns/message/reverse.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <netinet/in.h>
#include <strings.h>

namespace DNS
{

namespace
{

/// The length of a name without its trailing dot: "web." is "web" made absolute.
size_t relativeLength(const char* name)
{
    size_t length = strlen(name);
    return length > 1 && name[length - 1] == '.' ? length - 1 : length;
}

/// Whether the name is "localhost" or below it.
bool localhost(const char* name)
{
    static const char suffix[] = "localhost";
    const size_t size = sizeof suffix - 1;
    size_t length = relativeLength(name);
    return length >= size && strncasecmp(name + length - size, suffix, size) == 0 &&
           (length == size || name[length - size - 1] == '.');
}

/// The loopback address of the version (4 for any).
const Ip& loopback(unsigned version)
{
    static const Ip four(in_addr{htonl(INADDR_LOOPBACK)});
    static const Ip six(in6addr_loopback);
    return version == 6 ? six : four;
}

} // namespace

bool Hosts::HostnameCompare::operator()(const char* a, const char* b) const
{
    size_t first = relativeLength(a), second = relativeLength(b);
    int order = strncasecmp(a, b, std::min(first, second));
    return order != 0 ? order < 0 : first < second;
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
        // An address with a zone index (fe80::1%lo) is skipped, as glibc
        // skips it: without its scope it would stand for another host.
        if (address.find('%') != std::string::npos) continue;
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
    return localhost(name) ? &loopback(version) : nullptr;
}

bool Hosts::answers(const char* name, int type) const
{
    if (localhost(name)) return true;
    return (type == ns_t_a && lookup(name, 4)) || (type == ns_t_aaaa && lookup(name, 6));
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
    unsigned version = question.type() == ns_t_a ? 4 : question.type() == ns_t_aaaa ? 6 : 0;
    if (question.type() == ns_t_ptr && !localhost(question.name()))
    {
        Reverse reverse(question.name());
        if (const char* hostname = lookup(reverse.ip())) response.append(question.name(), hostname);
    }
    else if (version != 0)
    {
        auto range = _addresses.equal_range(question.name());
        for (auto entry = range.first; entry != range.second; ++entry)
            if (entry->second.version() == version) response.append(question.name(), entry->second);
        if (response.answers() == 0 && localhost(question.name()))
            response.append(question.name(), loopback(version));
    }
    handler->onReceived(operation, Response(response.data(), response.size()));
}

} // namespace DNS
