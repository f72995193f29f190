#include "network/tcpwatcher.h"

#include <algorithm>

namespace Kestrava
{
namespace Network
{

size_t TcpWatcher::write(const char* data, size_t size, bool buffer)
{
    (void)data;
    (void)size;
    (void)buffer;
    return 0;
}

size_t TcpWatcher::write(const iovec* vectors, size_t count, bool buffer)
{
    size_t total = 0;
    for (size_t i = 0; i < count; ++i)
    {
        size_t written =
            write(static_cast<const char*>(vectors[i].iov_base), vectors[i].iov_len, buffer);
        total += written;
        if (written < vectors[i].iov_len) break;
    }
    return total;
}

size_t TcpWatcher::buffer(const char* data, size_t size)
{
    (void)data;
    (void)size;
    return 0;
}

size_t TcpWatcher::buffer(const iovec* vectors, size_t count, size_t skip)
{
    size_t total = 0;
    for (size_t i = 0; i < count; ++i)
    {
        size_t skipped = std::min(skip, vectors[i].iov_len);
        skip -= skipped;
        if (skipped == vectors[i].iov_len) continue;
        total += buffer(static_cast<const char*>(vectors[i].iov_base) + skipped,
                        vectors[i].iov_len - skipped);
    }
    return total;
}

} // namespace Network
} // namespace Kestrava
