#pragma once

#include "amqp/buffers/outbuffer.h"

#include <cstddef>
#include <cstdint>

namespace AMQP::detail
{

// A method lists its argument fields once for its size and once for its
// encoding, in wire order.

template <class... Fields> uint32_t sizeOf(const Fields&... fields)
{
    return static_cast<uint32_t>((size_t(0) + ... + fields.size()));
}

template <class... Fields> void fillAll(OutBuffer& buffer, const Fields&... fields)
{
    (fields.fill(buffer), ...);
}

} // namespace AMQP::detail
