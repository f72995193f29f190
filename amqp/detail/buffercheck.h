#pragma once

#include "amqp/buffers/inbuffer.h"

#include <cstddef>

namespace AMQP
{

/// Guards one read of an InBuffer: throws before the read when the octets
/// are not there, and consumes them once the read is done, so that a failed
/// read leaves the cursor where it was.
class BufferCheck
{
public:
    BufferCheck(InBuffer& buffer, size_t size);
    virtual ~BufferCheck() { _buffer._consumed += _size; }

    BufferCheck(const BufferCheck&) = delete;
    BufferCheck& operator=(const BufferCheck&) = delete;

private:
    InBuffer& _buffer;
    size_t _size;
};

} // namespace AMQP
