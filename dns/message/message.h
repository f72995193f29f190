#pragma once

#include <cstddef>

#include <arpa/nameser.h>

namespace DNS
{

/// A DNS message in wire format, parsed by libresolv. A message made from
/// bytes only refers to them (they must outlive it); a copy owns its bytes.
class Message
{
public:
    Message(const unsigned char* data, size_t size);
    Message(const Message& other);
    Message& operator=(const Message&) = delete;
    virtual ~Message();

    unsigned short id() const { return ns_msg_id(_handle); }
    bool flag(ns_flag flag) const { return ns_msg_getflag(_handle, flag) != 0; }
    bool truncated() const { return flag(ns_f_tc); }
    bool recursiondesired() const { return flag(ns_f_rd); }
    int opcode() const { return ns_msg_getflag(_handle, ns_f_opcode); }
    /// The response code, extended by an OPT record's high bits (RFC 6891 6.1.3).
    int rcode() const;
    unsigned questions() const { return records(ns_s_qd); }
    unsigned additional() const { return records(ns_s_ar); }
    /// The number of records in a section.
    unsigned records(ns_sect section) const { return ns_msg_count(_handle, section); }
    /// How many records of a section have this type and class; records that
    /// do not parse are not counted.
    unsigned records(ns_sect section, int type, int dnsclass) const;

    const unsigned char* data() const { return ns_msg_base(_handle); }
    size_t size() const { return ns_msg_size(_handle); }
    const ns_msg& handle() const { return _handle; }

private:
    void parse(const unsigned char* data, size_t size);

    unsigned char* _copy = nullptr;
    ns_msg _handle;
};

} // namespace DNS
