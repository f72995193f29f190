#pragma once

#include <stdexcept>

namespace Kestrava
{
namespace OpenSSL
{

/// A failure reported by OpenSSL, carrying its reason text.
class Exception : public std::runtime_error
{
public:
    /// `code` is the value of ERR_get_error() right after the failing call.
    explicit Exception(unsigned long code);

    explicit Exception(const char* message);
};

} // namespace OpenSSL
} // namespace Kestrava
