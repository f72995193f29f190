#include "amqp/message.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

namespace AMQP
{

namespace
{

char* allocate(uint64_t size)
{
    auto* block = static_cast<char*>(std::malloc(size));
    if (block == nullptr && size != 0) throw std::bad_alloc();
    return block;
}

} // namespace

Message::Message(std::string exchange, std::string routingKey)
    : Envelope(nullptr, 0), _exchange(std::move(exchange)), _routingKey(std::move(routingKey))
{
}

Message::Message(const Message& other)
    : Envelope(other), _exchange(other._exchange), _routingKey(other._routingKey),
      _filled(other._filled)
{
    // The other's body may live in a receive buffer that is about to go.
    if (other._body == nullptr) return;
    uint64_t size = std::min(other._filled, other._bodySize);
    _block = allocate(other._bodySize);
    std::memcpy(_block, other._body, size);
    _body = _block;
}

Message::~Message()
{
    std::free(_block);
}

void Message::setBodySize(uint64_t size)
{
    if constexpr (sizeof(size_t) < sizeof(uint64_t))
    {
        if (size > std::numeric_limits<size_t>::max())
            throw std::runtime_error("message is too big for this system");
    }
    _bodySize = size;
}

void Message::append(const char* data, uint64_t count)
{
    if (count == 0 || _filled >= _bodySize) return;
    if (_block != nullptr)
    {
        uint64_t size = std::min(count, _bodySize - _filled);
        std::memcpy(_block + _filled, data, size);
        _filled += size;
    }
    else if (_bodySize > count)
    {
        _block = allocate(_bodySize);
        std::memcpy(_block, data, count);
        _filled = count;
        _body = _block;
    }
    else
    {
        // The whole body in one frame: no copy.
        _body = data;
        _filled = _bodySize;
    }
}

} // namespace AMQP
