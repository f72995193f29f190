#include "dns/lookup/lookup.h"

#include "dns/lookup/lookupqueue.h"

namespace DNS
{

Lookup::Lookup(Core* core, Handler* handler, int opcode, const char* name, int type,
               const Bits& bits, const unsigned char* data)
    : Operation(handler), _core(core), _query(opcode, name, type, bits, data)
{
}

Lookup::~Lookup()
{
    if (_queue) _queue->remove(this);
}

} // namespace DNS
