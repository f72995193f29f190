#include "dns/message/record.h"

#include "dns/message/message.h"

#include <stdexcept>

namespace DNS
{

Record::Record(const Message& message, ns_sect section, int index)
{
    // ns_parserr advances a cursor inside the handle, so it gets a copy.
    ns_msg handle = message.handle();
    if (ns_parserr(&handle, section, index, &_record) < 0)
        throw std::runtime_error("failed to parse record");
}

const char* Record::name() const
{
    return ns_rr_name(_record);
}

} // namespace DNS
