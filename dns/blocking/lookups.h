#pragma once

#include "dns/blocking/blocking.h"
#include "event/threadloop.h"

#include <exception>
#include <functional>
#include <list>
#include <memory>

#include <arpa/nameser.h>

namespace DNS
{
class Context;
class LibEv;
} // namespace DNS

namespace Kestrava
{
namespace Dns
{

class Context;

/**
 * Several lookups that run together on a loop of their own (never the
 * caller's): a silent name server costs one time-out for all of them, not
 * one each.
 */
class Lookups
{
public:
    /// Reads the system configuration and adds the caller's name servers.
    /// Throws ConfigException when the configuration cannot be read.
    explicit Lookups(const Context& context);
    Lookups(const Lookups&) = delete;
    Lookups& operator=(const Lookups&) = delete;
    ~Lookups();

    /// Starts a lookup whose outcome goes to `handler` during run(); null,
    /// and no callback ever, when it cannot start (a name too long). The
    /// name is asked as it is, never through the search list.
    const Blocking* query(const char* name, ns_type type, DNS::Handler* handler);

    /// Runs until every lookup is over or `enough`, asked after each
    /// outcome, is true; the lookups still running are then dropped without
    /// a callback. An exception that a handler threw is thrown on from
    /// here, once the waiting is over.
    void run(const std::function<bool()>& enough = nullptr);

private:
    bool running() const;

    Event::ThreadLoop _loop;
    std::unique_ptr<DNS::LibEv> _adapter;
    std::unique_ptr<DNS::Context> _resolver;
    std::list<Blocking> _lookups;
    std::exception_ptr _thrown;
};

} // namespace Dns
} // namespace Kestrava
