#pragma once

#include "dns/exception/exception.h"

namespace Kestrava
{
namespace Dns
{

/// A lookup that got no answer in time; asking again may succeed.
class TimeoutException : public Exception
{
public:
    TimeoutException() : Exception("DNS request timeout", 2) {}

    bool temporary() const override { return true; }
};

} // namespace Dns
} // namespace Kestrava
