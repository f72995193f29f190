#include "dns/exception/gaiexception.h"

#include <netdb.h>

#include <cerrno>
#include <cstring>

namespace Kestrava
{
namespace Dns
{

namespace
{

const char* messageOf(int code)
{
    return code == EAI_SYSTEM ? std::strerror(errno) : gai_strerror(code);
}

} // namespace

GaiException::GaiException(int code, addrinfo* list) : Exception(messageOf(code), 7), _code(code)
{
    if (list != nullptr) freeaddrinfo(list);
}

int GaiException::type() const
{
    switch (_code)
    {
    case EAI_SYSTEM:
        return 6;
    case EAI_NODATA:
        return 5;
    case EAI_AGAIN:
        return 1;
    case EAI_NONAME:
        return 4;
    default:
        return 7;
    }
}

bool GaiException::temporary() const
{
    return _code == EAI_AGAIN;
}

bool GaiException::nxdomain() const
{
    return _code == EAI_NONAME;
}

} // namespace Dns
} // namespace Kestrava
