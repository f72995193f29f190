#pragma once

#include "dns/message/ip.h"

#include <list>
#include <map>
#include <string>

namespace DNS
{

class Handler;
class Operation;
class Request;

/// The static host table (the hosts file), which answers A, AAAA and PTR
/// questions without asking a name server. Names are matched in any letter
/// case, a trailing dot aside. "localhost" and the names below it are
/// always known: with the loopback address of each version that the file
/// gives them none of, and never to be asked of a name server (RFC 6761 6.3).
class Hosts
{
public:
    Hosts() = default;
    /// Loads the file; throws "<path>: failed to open file" when it cannot be read.
    explicit Hosts(const char* path);
    // The maps point into the name list.
    Hosts(const Hosts&) = delete;
    Hosts& operator=(const Hosts&) = delete;

    /// Adds the entries of a file to those already known; false when it
    /// cannot be opened. Lines that are not "address name..." are skipped.
    bool load(const char* path);

    /// The first address listed for the name whose version is the one asked,
    /// 0 meaning any; null when there is none.
    const Ip* lookup(const char* name, unsigned version) const;
    /// Whether the table answers the question itself: an A or AAAA question
    /// for a name it has an address of that version for, any question for a
    /// localhost name.
    bool answers(const char* name, int type) const;
    /// The first name listed for the address; null when there is none.
    const char* lookup(const Ip& ip) const;

    /// Answers the request's first question from the table with a made-up
    /// response, through the handler's onReceived (operation passed on).
    void notify(const Request& request, Handler* handler, const Operation* operation) const;

private:
    struct HostnameCompare
    {
        bool operator()(const char* a, const char* b) const;
    };

    void add(const Ip& ip, const std::string& name);

    std::list<std::string> _names;
    std::multimap<const char*, Ip, HostnameCompare> _addresses;
    std::multimap<Ip, const char*> _hostnames;
};

} // namespace DNS
