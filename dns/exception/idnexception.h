#pragma once

#include "dns/exception/exception.h"

namespace Kestrava
{
namespace Dns
{

/// A host name that cannot be converted between its Unicode and ASCII
/// forms, or no libidn to convert it with.
class IdnException : public Exception
{
public:
    explicit IdnException(const std::string& message) : Exception(message, 7) {}

    int type() const override { return 7; }
    bool temporary() const override { return false; }
    bool nxdomain() const override { return false; }
};

} // namespace Dns
} // namespace Kestrava
