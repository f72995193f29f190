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

/// The first block holds a body of up to this size whole; larger bodies
/// grow their block as their octets arrive.
constexpr uint64_t initialBlock = 1 << 20;

} // namespace

Message::Message(std::string exchange, std::string routingKey)
    : Envelope(nullptr, 0), _exchange(std::move(exchange)), _routingKey(std::move(routingKey))
{
}

Message::Message(const Message& other)
    : Envelope(other), _exchange(other._exchange), _routingKey(other._routingKey)
{
    // The other's body may live in a receive buffer that is about to go.
    if (other._body == nullptr) return;
    reserve(other._filled);
    std::memcpy(_block, other._body, other._filled);
    _filled = other._filled;
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
    uint64_t size = std::min(count, _bodySize - _filled);
    if (_block == nullptr && size == _bodySize)
    {
        // The whole body in one frame: no copy.
        _body = data;
        _filled = size;
        return;
    }
    reserve(_filled + size);
    std::memcpy(_block + _filled, data, size);
    _filled += size;
    _body = _block;
}

void Message::reserve(uint64_t size)
{
    if (size <= _capacity) return;
    // The announced size is only the broker's word: allocating it up front
    // would let one header claim any amount of memory, so beyond the first
    // block the room at most doubles with the octets that came.
    uint64_t capacity = std::min(_bodySize, std::max({size, 2 * _capacity, initialBlock}));
    auto* block = static_cast<char*>(std::realloc(_block, capacity));
    if (block == nullptr) throw std::bad_alloc();
    _block = block;
    _capacity = capacity;
}

} // namespace AMQP
