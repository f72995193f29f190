#include "dns/message/message.h"

#include "dns/message/opt.h"
#include "dns/message/record.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>

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
    for (unsigned i = 0; i < additional(); ++i)
    {
        try
        {
            Additional record(*this, i);
            if (record.type() != ns_t_opt) continue;
            return (OPT(record).rcode() << 4) | rcode;
        }
        catch (const std::runtime_error&)
        {
            // A broken additional record is not an OPT record.
        }
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
