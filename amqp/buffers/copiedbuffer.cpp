#include "amqp/buffers/copiedbuffer.h"

#include "amqp/frames/frame.h"

#include <cassert>
#include <cstdlib>
#include <cstring>
#include <new>

namespace AMQP
{

CopiedBuffer::CopiedBuffer(const Frame& frame)
    : _capacity(frame.totalSize()), _data(static_cast<char*>(std::malloc(_capacity))),
      _synchronous(frame.synchronous())
{
    if (_data == nullptr && _capacity != 0) throw std::bad_alloc();
    frame.fill(*this);
    if (frame.needsSeparator()) append("\xCE", 1);
    // A frame that announced a size other than the one it wrote would have
    // been cut off or sent with a wrong length.
    assert(_size == _capacity);
}

CopiedBuffer::CopiedBuffer(CopiedBuffer&& other) noexcept
    : _capacity(other._capacity), _data(other._data), _size(other._size),
      _synchronous(other._synchronous)
{
    other._capacity = 0;
    other._data = nullptr;
    other._size = 0;
}

CopiedBuffer::~CopiedBuffer()
{
    std::free(_data);
}

void CopiedBuffer::append(const char* data, size_t count)
{
    assert(count <= _capacity - _size);
    std::memcpy(_data + _size, data, count);
    _size += count;
}

} // namespace AMQP
