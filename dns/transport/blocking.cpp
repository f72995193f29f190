#include "dns/transport/blocking.h"

#include <fcntl.h>

namespace DNS
{

Blocking::Blocking(int fd) : _flags(fd)
{
    _flags.remove(O_NONBLOCK);
}

Blocking::~Blocking()
{
    _flags.add(O_NONBLOCK);
}

} // namespace DNS
