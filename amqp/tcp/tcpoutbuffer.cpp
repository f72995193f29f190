#include "amqp/tcp/tcpoutbuffer.h"

#include "amqp/tcp/openssl.h"

#include <algorithm>
#include <climits>
#include <sys/socket.h>
#include <sys/uio.h>
#include <utility>

namespace AMQP
{

TcpOutBuffer::TcpOutBuffer(TcpOutBuffer&& other) noexcept
    : _blocks(std::move(other._blocks)), _skip(std::exchange(other._skip, 0)),
      _total(std::exchange(other._total, 0))
{
    other._blocks.clear();
}

TcpOutBuffer& TcpOutBuffer::operator=(TcpOutBuffer&& other) noexcept
{
    if (this == &other) return *this;
    _blocks = std::move(other._blocks);
    other._blocks.clear();
    _skip = std::exchange(other._skip, 0);
    _total = std::exchange(other._total, 0);
    return *this;
}

void TcpOutBuffer::add(const char* buffer, size_t size)
{
    if (size == 0) return;
    // Small writes join the last block, unless it is the one being
    // written (a TLS write must be repeated with the same octets).
    if (_blocks.size() > 1 && _blocks.back().size() < 65536)
        _blocks.back().insert(_blocks.back().end(), buffer, buffer + size);
    else
        _blocks.emplace_back(buffer, buffer + size);
    _total += size;
}

void TcpOutBuffer::shrink(size_t size)
{
    if (size >= _total)
    {
        _blocks.clear();
        _skip = _total = 0;
        return;
    }
    while (size > 0)
    {
        size_t left = _blocks.front().size() - _skip;
        if (size < left)
        {
            _skip += size;
            _total -= size;
            return;
        }
        _total -= left;
        size -= left;
        _skip = 0;
        _blocks.pop_front();
    }
}

size_t TcpOutBuffer::fill(iovec* vector, size_t max) const
{
    size_t count = 0;
    for (auto block = _blocks.begin(); block != _blocks.end() && count < max; ++block, ++count)
    {
        size_t skip = count == 0 ? _skip : 0;
        vector[count].iov_base = const_cast<char*>(block->data() + skip);
        vector[count].iov_len = block->size() - skip;
    }
    return count;
}

ssize_t TcpOutBuffer::sendto(int fd)
{
    ssize_t total = 0;
    while (_total > 0)
    {
        iovec vector[64];
        msghdr message{};
        message.msg_iov = vector;
        message.msg_iovlen = fill(vector, 64);
        ssize_t result = sendmsg(fd, &message, MSG_NOSIGNAL);
        if (result < 1) return total > 0 ? total : result;
        shrink(size_t(result));
        total += result;
    }
    return total;
}

int TcpOutBuffer::sendto(SSL* ssl)
{
    OpenSSL::ERR_clear_error();
    const auto& block = _blocks.front();
    size_t size = std::min(block.size() - _skip, size_t(INT_MAX));
    int result = OpenSSL::SSL_write(ssl, block.data() + _skip, int(size));
    if (result > 0) shrink(size_t(result));
    return result;
}

} // namespace AMQP
