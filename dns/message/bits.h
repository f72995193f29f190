#pragma once

namespace DNS
{

/// The DNSSEC-related flags a query asks for: bit 0 AD, bit 1 CD, bit 2 DO.
class Bits
{
public:
    explicit Bits(int bits = 0) : _bits(bits) {}

    bool AD() const { return _bits & 1; }
    bool CD() const { return _bits & 2; }
    bool DO() const { return _bits & 4; }
    bool dnssec() const { return DO(); }

private:
    int _bits;
};

} // namespace DNS
