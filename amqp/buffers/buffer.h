#pragma once

#include <cstddef>

namespace AMQP
{

/// A read-only source of octets. Nothing here checks bounds: readers go
/// through InBuffer, which does.
class Buffer
{
public:
    virtual ~Buffer() = default;

    /// Number of octets.
    virtual size_t size() const = 0;

    /// The octet at pos.
    virtual char byte(size_t pos) const = 0;

    /// size contiguous octets starting at pos, inside the buffer (no copy).
    virtual const char* data(size_t pos, size_t size) const = 0;

    /// Copies size octets starting at pos to output.
    virtual void copy(size_t pos, size_t size, void* output) const = 0;
};

} // namespace AMQP
