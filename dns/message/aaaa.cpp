#include "dns/message/aaaa.h"

#include "dns/message/record.h"

#include <cstring>

namespace DNS
{

AAAA::AAAA(const Record& record) : Extractor(record, ns_t_aaaa, 16)
{
    in6_addr address;
    memcpy(&address, record.data(), 16);
    _ip = Ip(address);
}

} // namespace DNS
