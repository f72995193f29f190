#pragma once

#include "dns/message/extractor.h"
#include "dns/message/ip.h"

namespace DNS
{

/// The address of an A record.
class A : public Extractor
{
public:
    explicit A(const Record& record);

    const Ip& ip() const { return _ip; }

private:
    Ip _ip;
};

} // namespace DNS
