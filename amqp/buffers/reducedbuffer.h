#pragma once

#include "amqp/buffers/buffer.h"

#include <cassert>

namespace AMQP
{

/// Another Buffer without its first octets: the connection parses each next
/// frame through one of these instead of copying the rest of its input.
class ReducedBuffer : public Buffer
{
public:
    /// skip must not exceed buffer.size(); buffer must outlive this object.
    ReducedBuffer(const Buffer& buffer, size_t skip) : _buffer(buffer), _skip(skip)
    {
        assert(skip <= buffer.size());
    }

    size_t size() const override { return _buffer.size() - _skip; }
    char byte(size_t pos) const override { return _buffer.byte(_skip + pos); }
    const char* data(size_t pos, size_t size) const override
    {
        return _buffer.data(_skip + pos, size);
    }
    void copy(size_t pos, size_t size, void* output) const override
    {
        _buffer.copy(_skip + pos, size, output);
    }

private:
    const Buffer& _buffer;
    size_t _skip;
};

} // namespace AMQP
