#pragma once

#include <cstdint>

namespace Kestrava
{
namespace Dns
{

/// Thrown when a record is not of the expected kind (another type, or a
/// key record of another version); not a std::exception, so that it is
/// caught only where records are collected.
class Mismatch
{
public:
    Mismatch(uint16_t expected, uint16_t found) : _expected(expected), _found(found) {}
    virtual ~Mismatch() = default;

    uint16_t expected() const { return _expected; }
    uint16_t found() const { return _found; }

private:
    uint16_t _expected;
    uint16_t _found;
};

} // namespace Dns
} // namespace Kestrava
