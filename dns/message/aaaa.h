#pragma once

#include "dns/message/extractor.h"
#include "dns/message/ip.h"

namespace DNS
{

/// The address of an AAAA record.
class AAAA : public Extractor
{
public:
    explicit AAAA(const Record& record);

    const Ip& ip() const { return _ip; }

private:
    Ip _ip;
};

} // namespace DNS
