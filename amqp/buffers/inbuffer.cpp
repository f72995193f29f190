#include "amqp/buffers/inbuffer.h"

#include "amqp/buffers/buffer.h"
#include "amqp/detail/buffercheck.h"
#include "amqp/detail/byteorder.h"
#include "amqp/detail/protocolexception.h"

#include <cassert>

namespace AMQP
{

BufferCheck::BufferCheck(InBuffer& buffer, size_t size) : _buffer(buffer), _size(size)
{
    if (size > buffer.available()) throw ProtocolException("frame out of range");
}

InBuffer::InBuffer(const Buffer& buffer) : _buffer(buffer), _end(buffer.size()) {}

void InBuffer::limit(size_t end)
{
    assert(end <= _buffer.size() && end >= _consumed);
    _end = end;
}

template <class Integer> Integer InBuffer::nextNumber()
{
    BufferCheck check(*this, sizeof(Integer));
    Integer value;
    _buffer.copy(_consumed, sizeof value, &value);
    return detail::fromNetwork(value);
}

uint8_t InBuffer::nextUint8()
{
    BufferCheck check(*this, 1);
    return static_cast<uint8_t>(_buffer.byte(_consumed));
}

int8_t InBuffer::nextInt8()
{
    return static_cast<int8_t>(nextUint8());
}
uint16_t InBuffer::nextUint16()
{
    return nextNumber<uint16_t>();
}
int16_t InBuffer::nextInt16()
{
    return static_cast<int16_t>(nextNumber<uint16_t>());
}
uint32_t InBuffer::nextUint32()
{
    return nextNumber<uint32_t>();
}
int32_t InBuffer::nextInt32()
{
    return static_cast<int32_t>(nextNumber<uint32_t>());
}
uint64_t InBuffer::nextUint64()
{
    return nextNumber<uint64_t>();
}
int64_t InBuffer::nextInt64()
{
    return static_cast<int64_t>(nextNumber<uint64_t>());
}
float InBuffer::nextFloat()
{
    return detail::fromBits<float>(nextNumber<uint32_t>());
}
double InBuffer::nextDouble()
{
    return detail::fromBits<double>(nextNumber<uint64_t>());
}

const char* InBuffer::nextData(uint32_t size)
{
    BufferCheck check(*this, size);
    return _buffer.data(_consumed, size);
}

} // namespace AMQP
