#pragma once

#include "dns/exception/exception.h"

namespace Kestrava
{
namespace Dns
{

/// A DNS answer with a response code other than NOERROR (RFC 1035, 2136).
class RcodeException : public Exception
{
public:
    explicit RcodeException(int rcode);

    int rcode() const { return _rcode; }

    /// Maps the code: SERVFAIL 1, NXDOMAIN 4, NOTAUTH and NOTZONE 5, else 7.
    int type() const override;
    bool temporary() const override;
    bool nxdomain() const override;

private:
    int _rcode;
};

} // namespace Dns
} // namespace Kestrava
