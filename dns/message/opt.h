#pragma once

#include "dns/message/extractor.h"

namespace DNS
{

/// The EDNS pseudo-record (RFC 6891), whose TTL field carries the high
/// bits of the response code.
class OPT : public Extractor
{
public:
    explicit OPT(const Record& record) : Extractor(record, ns_t_opt, 0) {}

    /// The extended-rcode byte: the most significant byte of the TTL field.
    int rcode() const { return static_cast<int>(ttl() >> 24); }
};

} // namespace DNS
