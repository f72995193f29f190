#include "dns/exception/rcodeexception.h"

namespace Kestrava
{
namespace Dns
{

namespace
{

constexpr int serverFailure = 2;
constexpr int nonExistentDomain = 3;
constexpr int notAuthoritative = 9;
constexpr int notInZone = 10;

const char* messageOf(int rcode)
{
    static const char* const messages[] = {
        nullptr,
        "rcode 1 (FORMERR): Format Error",
        "rcode 2 (SERVFAIL): Server Failure",
        "rcode 3 (NXDOMAIN): Non-Existent Domain",
        "rcode 4 (NOTIMP): Not Implemented",
        "rcode 5 (REFUSED): Query Refused",
        "rcode 6 (YXDOMAIN): Name Exists when it should not",
        "rcode 7 (YXRRSET): RR Set Exists when it should not",
        "rcode 8 (NXRRSET): RR Set that should exist does not",
        "rcode 9 (NOTAUTH): Server Not Authoritative for zone",
        "rcode 10 (NOTZONE): Name not contained in zone",
    };
    if (rcode < 1 || rcode > notInZone) return "Unknown error: Rcode unknown";
    return messages[rcode];
}

} // namespace

RcodeException::RcodeException(int rcode) : Exception(messageOf(rcode), 7), _rcode(rcode) {}

int RcodeException::type() const
{
    switch (_rcode)
    {
    case serverFailure:
        return 1;
    case nonExistentDomain:
        return 4;
    case notAuthoritative:
    case notInZone:
        return 5;
    default:
        return 7;
    }
}

bool RcodeException::temporary() const
{
    return _rcode == serverFailure;
}

bool RcodeException::nxdomain() const
{
    return _rcode == nonExistentDomain;
}

} // namespace Dns
} // namespace Kestrava
