#pragma once

#include "dns/transport/fcntlflags.h"

namespace DNS
{

/// Makes a descriptor blocking for the lifetime of this object, so that a
/// query is written to a TCP connection whole.
class Blocking
{
public:
    explicit Blocking(int fd);
    Blocking(const Blocking&) = delete;
    Blocking& operator=(const Blocking&) = delete;
    ~Blocking();

private:
    FcntlFlags _flags;
};

} // namespace DNS
