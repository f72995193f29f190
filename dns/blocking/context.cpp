#include "dns/blocking/context.h"

#include "dns/blocking/lookups.h"

namespace Kestrava
{
namespace Dns
{

bool Context::query(const char* name, ns_type type, DNS::Handler* handler) const
{
    Lookups lookups(*this);
    const Blocking* lookup = lookups.query(name, type, handler);
    lookups.run();
    return lookup != nullptr && lookup->answered();
}

} // namespace Dns
} // namespace Kestrava
