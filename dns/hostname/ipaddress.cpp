#include "dns/hostname/ipaddress.h"

#include "dns/exception/gaiexception.h"

#include <netdb.h>
#include <sys/socket.h>

namespace Kestrava
{
namespace Dns
{

IpAddress::IpAddress(const char* text)
{
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_family = AF_UNSPEC;
    addrinfo* list = nullptr;
    int result = getaddrinfo(text, nullptr, &hints, &list);
    if (result != 0) throw GaiException(result, list);

    if (list->ai_family != AF_INET && list->ai_family != AF_INET6)
        throw GaiException(EAI_FAMILY, list);
    DNS::Ip::operator=(DNS::Ip(list->ai_addr));
    freeaddrinfo(list);
}

} // namespace Dns
} // namespace Kestrava
