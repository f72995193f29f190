#include "amqp/array.h"

#include "amqp/detail/fielddecoder.h"
#include "amqp/buffers/inbuffer.h"
#include "amqp/buffers/outbuffer.h"

#include <ostream>

namespace AMQP
{

Array::Array(InBuffer& buffer) : Array(buffer, 0) {}

Array::Array(InBuffer& buffer, unsigned depth)
{
    detail::decodeFields(buffer,
                         [&](InBuffer& elements)
                         {
                             auto value = detail::decodeField(elements, depth + 1);
                             if (!value) return false;
                             _fields.push_back(std::move(value));
                             return true;
                         });
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

void Array::push_back(const Field& value)
{
    _fields.push_back(detail::storedField(value));
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
