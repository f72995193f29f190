#include "browse/unreachable.h"

#include "event/loop.h"

#include <algorithm>

namespace Kestrava
{
namespace Browse
{

void Unreachable::add(const DNS::Ip& ip)
{
    remove(ip);
    double current = now();
    // Entries are in the order of their failures: the expired ones lead.
    auto expired = std::find_if(_entries.begin(), _entries.end(),
                                [&](const Entry& entry) { return current - entry.failed < span; });
    _entries.erase(_entries.begin(), expired);
    if (_entries.size() >= limit) _entries.erase(_entries.begin());
    _entries.push_back({ip, current});
}

void Unreachable::remove(const DNS::Ip& ip)
{
    _entries.erase(std::remove_if(_entries.begin(), _entries.end(),
                                  [&](const Entry& entry) { return entry.ip == ip; }),
                   _entries.end());
}

bool Unreachable::contains(const DNS::Ip& ip) const
{
    double current = now();
    return std::any_of(_entries.begin(), _entries.end(),
                       [&](const Entry& entry)
                       { return entry.ip == ip && current - entry.failed < span; });
}

double Unreachable::now() const
{
    return ev_now(_loop->loop());
}

} // namespace Browse
} // namespace Kestrava
