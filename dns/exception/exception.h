#pragma once

#include <stdexcept>
#include <string>

namespace Kestrava
{
namespace Dns
{

/**
 * A failure of a DNS lookup or a host-name conversion, thrown by value.
 *
 * The type value classifies the failure for callers that do not care which
 * subclass reported it: 1 temporary failure, 2 time-out, 4 no such name,
 * 5 no records of the asked type, 6 system error, 7 any other failure.
 */
class Exception : public std::runtime_error
{
public:
    Exception(const std::string& message, int type) : std::runtime_error(message), _type(type) {}

    virtual int type() const { return _type; }

    /// Whether asking again later may succeed.
    virtual bool temporary() const { return false; }

    /// Whether the name does not exist.
    virtual bool nxdomain() const { return false; }

private:
    int _type;
};

} // namespace Dns
} // namespace Kestrava
