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

    if (list->ai_family == AF_INET)
        DNS::Ip::operator=(DNS::Ip(reinterpret_cast<const sockaddr_in*>(list->ai_addr)->sin_addr));
    else if (list->ai_family == AF_INET6)
        DNS::Ip::operator=(&reinterpret_cast<const sockaddr_in6*>(list->ai_addr)->sin6_addr);
    else
        throw GaiException(EAI_FAMILY, list);
    freeaddrinfo(list);
}

} // namespace Dns
} // namespace Kestrava
