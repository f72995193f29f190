#pragma once

#include <string>

namespace Kestrava
{
namespace Dns
{

/// The outcome of an SPF check as an Authentication-Results header reports
/// it; a plain record filled by whoever ran the check.
class SpfStatus
{
public:
    virtual ~SpfStatus() = default;
    /// One of the shared status words, such as "pass".
    const char* result = nullptr;
    std::string helo;
    std::string mailfrom;
    std::string explanation;
};

} // namespace Dns
} // namespace Kestrava
