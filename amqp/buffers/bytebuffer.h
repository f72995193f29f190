#pragma once

#include "amqp/buffers/buffer.h"

#include <cstring>

namespace AMQP
{

/// A Buffer over octets owned by someone else, who keeps them alive.
class ByteBuffer : public Buffer
{
public:
    ByteBuffer(const char* data, size_t size) : _data(data), _size(size) {}

    ByteBuffer(ByteBuffer&& other) noexcept : _data(other._data), _size(other._size)
    {
        other._data = nullptr;
        other._size = 0;
    }

    ByteBuffer& operator=(ByteBuffer&& other) noexcept
    {
        if (this == &other) return *this;
        _data = other._data;
        _size = other._size;
        other._data = nullptr;
        other._size = 0;
        return *this;
    }

    size_t size() const override { return _size; }
    char byte(size_t pos) const override { return _data[pos]; }
    const char* data(size_t pos, size_t) const override { return _data + pos; }
    void copy(size_t pos, size_t size, void* output) const override
    {
        std::memcpy(output, _data + pos, size);
    }

protected:
    // A subclass that owns its block moves these itself.
    const char* _data;
    size_t _size;
};

} // namespace AMQP
