#include "filter/memory.h"

#include <algorithm>
#include <cstring>

namespace Kestrava
{
namespace Filter
{

namespace
{

// Final appends longer than this are kept by pointer even where they would
// fit into owned storage: copying them would cost more than a chunk.
constexpr size_t copyLimit = 128;
constexpr size_t smallestOwned = 512;

} // namespace

Memory::Buffer::Buffer(size_t capacity, const char* bytes, size_t size)
    : capacity(capacity), data(nullptr), used(0), _storage(new char[capacity])
{
    data = _storage.get();
    copy(bytes, size);
}

void Memory::Buffer::copy(const char* bytes, size_t size)
{
    if (size == 0) return;
    std::memcpy(_storage.get() + used, bytes, size);
    used += size;
}

size_t Memory::append(const char* data, size_t size, bool final)
{
    if (size == 0) return 0;
    _total += size;
    if (_chunks.empty())
    {
        if (final)
            _chunks.emplace_back(data, size);
        else
            addOwned(data, size);
        return size;
    }
    Buffer& last = _chunks.back();
    if (last.capacity > 0 && size <= last.room())
    {
        if (final && size > copyLimit)
            _chunks.emplace_back(data, size);
        else
            last.copy(data, size);
    }
    else if (last.capacity == 0 && final && data == last.data + last.used)
        last.used += size;
    else if (final)
        _chunks.emplace_back(data, size);
    else
        addOwned(data, size);
    return size;
}

void Memory::addOwned(const char* data, size_t size)
{
    _chunks.emplace_back(std::max(size + copyLimit, smallestOwned), data, size);
}

const std::string& Memory::buffer() const
{
    if (_cache.size() == _total) return _cache;
    _cache.clear();
    _cache.reserve(_total);
    for (const Buffer& chunk : _chunks)
        _cache.append(chunk.data, chunk.used);
    return _cache;
}

} // namespace Filter
} // namespace Kestrava
