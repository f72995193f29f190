#include "amqp/buffers/outbuffer.h"

#include "amqp/detail/byteorder.h"

namespace AMQP
{

namespace
{

template <class Integer> void addNumber(OutBuffer& buffer, Integer value)
{
    Integer wire = detail::toNetwork(value);
    buffer.append(reinterpret_cast<const char*>(&wire), sizeof wire);
}

} // namespace

void OutBuffer::add(uint8_t value)
{
    append(reinterpret_cast<const char*>(&value), 1);
}
void OutBuffer::add(int8_t value)
{
    append(reinterpret_cast<const char*>(&value), 1);
}
void OutBuffer::add(uint16_t value)
{
    addNumber(*this, value);
}
void OutBuffer::add(int16_t value)
{
    addNumber(*this, static_cast<uint16_t>(value));
}
void OutBuffer::add(uint32_t value)
{
    addNumber(*this, value);
}
void OutBuffer::add(int32_t value)
{
    addNumber(*this, static_cast<uint32_t>(value));
}
void OutBuffer::add(uint64_t value)
{
    addNumber(*this, value);
}
void OutBuffer::add(int64_t value)
{
    addNumber(*this, static_cast<uint64_t>(value));
}
void OutBuffer::add(float value)
{
    addNumber(*this, detail::bitsOf<uint32_t>(value));
}
void OutBuffer::add(double value)
{
    addNumber(*this, detail::bitsOf<uint64_t>(value));
}

} // namespace AMQP
