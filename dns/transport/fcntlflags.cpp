#include "dns/transport/fcntlflags.h"

#include <stdexcept>

#include <fcntl.h>

namespace DNS
{

FcntlFlags::FcntlFlags(int fd) : _fd(fd), _flags(fcntl(fd, F_GETFL))
{
    if (_flags < 0) throw std::runtime_error("failed to retrieve fcntl flags");
}

bool FcntlFlags::add(int flags)
{
    _flags |= flags;
    return fcntl(_fd, F_SETFL, _flags) == 0;
}

bool FcntlFlags::remove(int flags)
{
    _flags &= ~flags;
    return fcntl(_fd, F_SETFL, _flags) == 0;
}

} // namespace DNS
