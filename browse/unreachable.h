#pragma once

#include "dns/message/ip.h"

#include <cstddef>
#include <vector>

namespace Kestrava
{
namespace Event
{
class Loop;
}
namespace Browse
{

/**
 * Addresses whose last connect failed, set aside for a while, so that the
 * requests that follow a failure try their host's other addresses first
 * instead of waiting on the same dead one again.
 */
class Unreachable
{
public:
    explicit Unreachable(Event::Loop* loop) : _loop(loop) {}

    /// A connect to `ip` failed.
    void add(const DNS::Ip& ip);
    /// A connect to `ip` succeeded.
    void remove(const DNS::Ip& ip);
    /// Whether the last connect to `ip` failed, less than `span` ago.
    bool contains(const DNS::Ip& ip) const;

    /// How long a failed address stays set aside, in seconds.
    static constexpr double span = 600.0;
    /// The most addresses kept; the oldest go first.
    static constexpr size_t limit = 256;

private:
    struct Entry
    {
        DNS::Ip ip;
        double failed;
    };

    double now() const;

    Event::Loop* _loop;
    /// Oldest failure first.
    std::vector<Entry> _entries;
};

} // namespace Browse
} // namespace Kestrava
