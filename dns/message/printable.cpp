#include "dns/message/printable.h"

#include "dns/message/ip.h"

#include <cerrno>
#include <cstring>
#include <ostream>
#include <stdexcept>

#include <arpa/inet.h>

namespace DNS
{

Printable::Printable(const Ip& ip)
{
    bool four = ip.version() == 4;
    if (!inet_ntop(four ? AF_INET : AF_INET6, ip.data(), _buffer, four ? 16 : sizeof _buffer))
        throw std::runtime_error(strerror(errno));
}

size_t Printable::size() const
{
    return strlen(_buffer);
}

std::ostream& operator<<(std::ostream& stream, const Printable& printable)
{
    return stream << printable.data();
}

} // namespace DNS
