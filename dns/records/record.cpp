#include "dns/records/record.h"

#include "dns/records/mismatch.h"

#include <stdexcept>

namespace Kestrava
{
namespace Dns
{

Record::Record(const ns_msg* message, int index, uint16_t type)
{
    // ns_parserr moves a cursor inside the handle, so it gets a copy.
    ns_msg handle = *message;
    ns_rr record;
    if (ns_parserr(&handle, ns_s_an, index, &record) < 0)
        throw std::runtime_error("failed to parse record");
    _type = ns_rr_type(record);
    if (_type != type) throw Mismatch(type, _type);
    _name = ns_rr_name(record);
    _class = ns_rr_class(record);
    _ttl = ns_rr_ttl(record);
    _data.assign(reinterpret_cast<const char*>(ns_rr_rdata(record)), ns_rr_rdlen(record));
}

} // namespace Dns
} // namespace Kestrava
