#pragma once

#include "dns/lookup/lookup.h"

namespace DNS
{

class Hosts;
class Ip;

/// A lookup answered from the hosts table, at the Core's next (immediate)
/// timer run.
class LocalLookup : public Lookup
{
public:
    LocalLookup(Core* core, const Hosts& hosts, const char* name, int type, Handler* handler);
    /// The PTR question of the address's reverse name.
    LocalLookup(Core* core, const Hosts& hosts, const Ip& ip, Handler* handler);

    void cancel() override;
    bool exhausted() const override { return true; }
    double delay(double) const override { return 0; }
    bool execute(double now) override;

private:
    const Hosts& _hosts;
};

} // namespace DNS
