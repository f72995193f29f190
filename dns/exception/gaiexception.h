#pragma once

#include "dns/exception/exception.h"

struct addrinfo;

namespace Kestrava
{
namespace Dns
{

/// A failure of getaddrinfo() or getnameinfo(), with the system's text.
class GaiException : public Exception
{
public:
    /// Releases `list` (may be null), which the failing call may have left.
    /// For EAI_SYSTEM the text is that of errno, so construct it before
    /// anything else can change errno.
    GaiException(int code, addrinfo* list);

    int code() const { return _code; }

    /// Maps the code: EAI_SYSTEM 6, EAI_NODATA 5, EAI_AGAIN 1, EAI_NONAME 4,
    /// else 7.
    int type() const override;
    bool temporary() const override;
    bool nxdomain() const override;

private:
    int _code;
};

} // namespace Dns
} // namespace Kestrava
