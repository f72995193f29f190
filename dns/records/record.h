#pragma once

#include <cstdint>
#include <string>

#include <arpa/nameser.h>

namespace Kestrava
{
namespace Dns
{

/// One record of the answer section of a message, copied out of it: the
/// record stays valid after the message is gone.
class Record
{
public:
    /// Parses answer `index`; throws std::runtime_error "failed to parse
    /// record", or a Mismatch when the record's type is not `type`.
    Record(const ns_msg* message, int index, uint16_t type);
    virtual ~Record() = default;

    const std::string& name() const { return _name; }
    uint16_t type() const { return _type; }
    uint16_t dnsclass() const { return _class; }
    uint32_t ttl() const { return _ttl; }
    /// The record data, as it came.
    const std::string& data() const { return _data; }

private:
    std::string _name;
    uint16_t _type;
    uint16_t _class;
    uint32_t _ttl;
    std::string _data;
};

} // namespace Dns
} // namespace Kestrava
