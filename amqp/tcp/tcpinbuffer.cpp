#include "amqp/tcp/tcpinbuffer.h"

#include "amqp/tcp/openssl.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unistd.h>
#include <utility>

namespace AMQP
{

TcpInBuffer::TcpInBuffer(size_t capacity)
    : ByteBuffer(static_cast<const char*>(std::malloc(capacity)), 0), _capacity(capacity)
{
    if (_data == nullptr) throw std::bad_alloc();
}

TcpInBuffer::TcpInBuffer(TcpInBuffer&& other) noexcept
    : ByteBuffer(std::move(other)), _capacity(std::exchange(other._capacity, 0))
{
}

TcpInBuffer& TcpInBuffer::operator=(TcpInBuffer&& other) noexcept
{
    if (this == &other) return *this;
    std::free(block());
    ByteBuffer::operator=(std::move(other));
    _capacity = std::exchange(other._capacity, 0);
    return *this;
}

TcpInBuffer::~TcpInBuffer()
{
    std::free(block());
}

void TcpInBuffer::reallocate(size_t capacity)
{
    capacity = std::max(capacity, _size);
    if (capacity == 0 || capacity == _capacity) return;
    void* grown = std::realloc(block(), capacity);
    // Out of memory the old block stays, and with it a working connection.
    if (grown == nullptr) return;
    _data = static_cast<const char*>(grown);
    _capacity = capacity;
}

void TcpInBuffer::shrink(size_t size)
{
    size = std::min(size, _size);
    if (size == 0) return;
    _size -= size;
    if (_size > 0) std::memmove(block(), _data + size, _size);
}

bool TcpInBuffer::reserve(uint64_t expected)
{
    if (expected > _capacity) reallocate(size_t(expected));
    return _capacity > _size;
}

ssize_t TcpInBuffer::receivefrom(int fd, uint64_t expected)
{
    if (!reserve(expected))
    {
        errno = ENOMEM;
        return -1;
    }
    ssize_t result = ::read(fd, block() + _size, _capacity - _size);
    if (result > 0) _size += size_t(result);
    return result;
}

int TcpInBuffer::receivefrom(SSL* ssl, uint64_t expected)
{
    // A failure here is told by SSL_read's own classification: there is
    // room for at least one octet after a successful reserve.
    reserve(expected);
    size_t room = std::min(_capacity - _size, size_t(INT_MAX));
    int result = OpenSSL::SSL_read(ssl, block() + _size, int(room));
    if (result > 0) _size += size_t(result);
    return result;
}

} // namespace AMQP
