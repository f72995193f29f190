#include "dns/message/a.h"

#include "dns/message/record.h"

#include <cstring>

namespace DNS
{

A::A(const Record& record) : Extractor(record, ns_t_a, 4)
{
    in_addr address;
    memcpy(&address, record.data(), 4);
    _ip = Ip(address);
}

} // namespace DNS
