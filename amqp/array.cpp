#include "amqp/array.h"

#include "amqp/buffers/bytebuffer.h"
#include "amqp/detail/fielddecoder.h"
#include "amqp/buffers/inbuffer.h"
#include "amqp/buffers/outbuffer.h"

#include <ostream>

namespace AMQP
{

Array::Array(InBuffer& buffer) : Array(buffer, 0) {}

Array::Array(InBuffer& buffer, unsigned depth)
{
    // As a table: elements come from the array's own octets only.
    uint32_t count = buffer.nextUint32();
    ByteBuffer octets(buffer.nextData(count), count);
    InBuffer elements(octets);
    while (elements.available() > 0)
    {
        auto value = detail::decodeField(elements, depth + 1);
        if (!value) break;
        _fields.push_back(std::move(value));
    }
}

Array::Array(const Array& other)
{
    _fields.reserve(other._fields.size());
    for (const auto& value : other._fields)
        _fields.push_back(value->clone());
}

Array& Array::operator=(const Array& other)
{
    if (this != &other) *this = Array(other);
    return *this;
}

const Field& Array::get(size_t index) const
{
    return index < _fields.size() ? *_fields[index] : detail::emptyField();
}

void Array::pop_back()
{
    if (!_fields.empty()) _fields.pop_back();
}

std::unique_ptr<Field> Array::clone() const
{
    return std::make_unique<Array>(*this);
}

size_t Array::size() const
{
    size_t size = 4;
    for (const auto& value : _fields)
        size += 1 + value->size();
    return size;
}

void Array::fill(OutBuffer& buffer) const
{
    buffer.add(static_cast<uint32_t>(size() - 4));
    for (const auto& value : _fields)
    {
        buffer.add(static_cast<uint8_t>(value->typeID()));
        value->fill(buffer);
    }
}

void Array::output(std::ostream& stream) const
{
    stream << "array(";
    const char* separator = "";
    for (const auto& value : _fields)
    {
        stream << separator << *value;
        separator = ",";
    }
    stream << ")";
}

} // namespace AMQP
