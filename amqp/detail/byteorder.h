#pragma once

#include <cstdint>
#include <cstring>
#include <endian.h>

namespace AMQP::detail
{

// AMQP puts every number on the wire in network byte order, floating point
// values included: other clients read 'f' and 'd' that way.

inline uint16_t toNetwork(uint16_t value)
{
    return htobe16(value);
}
inline uint32_t toNetwork(uint32_t value)
{
    return htobe32(value);
}
inline uint64_t toNetwork(uint64_t value)
{
    return htobe64(value);
}
inline uint16_t fromNetwork(uint16_t value)
{
    return be16toh(value);
}
inline uint32_t fromNetwork(uint32_t value)
{
    return be32toh(value);
}
inline uint64_t fromNetwork(uint64_t value)
{
    return be64toh(value);
}

/// The bits of a floating value as the unsigned integer of the same width.
template <class Integer, class Floating> Integer bitsOf(Floating value)
{
    static_assert(sizeof(Integer) == sizeof(Floating));
    Integer bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

template <class Floating, class Integer> Floating fromBits(Integer bits)
{
    static_assert(sizeof(Integer) == sizeof(Floating));
    Floating value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace AMQP::detail
