#pragma once

#include "dns/exception/exception.h"

namespace Kestrava
{
namespace Dns
{

/// The system's resolver files (resolv.conf, hosts) could not be read, so
/// no lookup could start; once they can be, asking again may succeed.
class ConfigException : public Exception
{
public:
    explicit ConfigException(const std::string& message) : Exception(message, 6) {}

    bool temporary() const override { return true; }
};

} // namespace Dns
} // namespace Kestrava
