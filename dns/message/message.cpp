#include "dns/message/message.h"

#include "dns/message/record.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include <resolv.h>

namespace DNS
{

Message::Message(const unsigned char* data, size_t size)
{
    parse(data, size);
}

Message::Message(const Message& other)
{
    // malloc(0) may give null; one spare byte keeps empty messages copyable.
    _copy = static_cast<unsigned char*>(malloc(other.size() + 1));
    if (!_copy) throw std::runtime_error("failed memory allocation");
    memcpy(_copy, other.data(), other.size());
    try
    {
        parse(_copy, other.size());
    }
    catch (...)
    {
        free(_copy);
        throw;
    }
}

Message::~Message()
{
    free(_copy);
}

void Message::parse(const unsigned char* data, size_t size)
{
    if (size > NS_MAXMSG || ns_initparse(data, static_cast<int>(size), &_handle) < 0)
        throw std::runtime_error("failed to parse dns message");
}

int Message::rcode() const
{
    int rcode = ns_msg_getflag(_handle, ns_f_rcode);
    // Walked by hand: only the type and the TTL of each record matter, and
    // expanding owner names, as ns_parserr does, would cost more than the
    // rest of an answer's handling. A broken record ends the walk.
    const unsigned char* position = _handle._sections[ns_s_ar];
    const unsigned char* end = ns_msg_end(_handle);
    for (unsigned i = 0; position && i < additional(); ++i)
    {
        // An OPT record's owner is the root: one byte, no need to parse it.
        int name = position < end && *position == 0 ? 1 : dn_skipname(position, end);
        if (name < 0 || end - position - name < NS_RRFIXEDSZ) break;
        position += name;
        unsigned type = ns_get16(position);
        // The extended-rcode byte leads the OPT record's TTL (RFC 6891 6.1.3).
        unsigned extended = position[4];
        size_t length = ns_get16(position + 8);
        position += NS_RRFIXEDSZ;
        if (type == ns_t_opt) return int(extended << 4) | rcode;
        if (size_t(end - position) < length) break;
        position += length;
    }
    return rcode;
}

unsigned Message::records(ns_sect section, int type, int dnsclass) const
{
    unsigned count = 0;
    for (unsigned i = 0; i < records(section); ++i)
    {
        try
        {
            Record record(*this, section, i);
            if (record.type() == type && record.dnsclass() == dnsclass) ++count;
        }
        catch (const std::runtime_error&)
        {
        }
    }
    return count;
}

} // namespace DNS
