#include "network/buffer.h"

#include <sys/uio.h>

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstring>

namespace Kestrava
{
namespace Network
{

namespace
{

/// The most pairs one scatter read fills.
constexpr size_t maxReadVectors = 64;

} // namespace

Buffer::Block::Block(size_t capacity) : _bytes(new char[capacity]), _capacity(capacity) {}

void Buffer::Block::grow(size_t capacity)
{
    assert(capacity >= _length);
    std::unique_ptr<char[]> bytes(new char[capacity]);
    if (_length > 0) std::memcpy(bytes.get(), _bytes.get(), _length);
    _bytes = std::move(bytes);
    _capacity = capacity;
}

Buffer::Buffer(size_t trailingLimit, size_t blockSize, bool adaptive)
    : _trailingLimit(trailingLimit), _blockSize(blockSize), _adaptive(adaptive),
      _fill(_blocks.end())
{
}

Buffer::Place Buffer::locate(size_t position) const
{
    size_t index = position + _readOffset;
    auto block = _blocks.begin();
    while (index >= block->length())
    {
        index -= block->length();
        ++block;
    }
    return {block, index};
}

bool Buffer::matches(Place place, const char* text, size_t length) const
{
    while (length > 0)
    {
        if (place.block == _blocks.end()) return false;
        size_t count = std::min(length, place.block->length() - place.index);
        if (std::memcmp(place.block->data() + place.index, text, count) != 0) return false;
        text += count;
        length -= count;
        ++place.block;
        place.index = 0;
    }
    return true;
}

size_t Buffer::find(const char* text, size_t from, size_t length) const
{
    if (length == 0) return from <= _size ? from : npos;
    for (size_t position = find(text[0], from); position != npos && position + length <= _size;
         position = find(text[0], position + 1))
    {
        if (matches(locate(position), text, length)) return position;
    }
    return npos;
}

size_t Buffer::find(char c, size_t from) const
{
    if (from >= _size) return npos;
    Place place = locate(from);
    size_t position = from - place.index;
    for (auto block = place.block; block != _blocks.end(); ++block)
    {
        auto begin = block->data() + place.index;
        auto hit = static_cast<const char*>(std::memchr(begin, c, block->length() - place.index));
        if (hit != nullptr) return position + (hit - block->data());
        position += block->length();
        place.index = 0;
    }
    return npos;
}

size_t Buffer::copyto(char* dest, size_t from, size_t length) const
{
    if (from >= _size) return 0;
    if (length == 0 || length > _size - from) length = _size - from;
    Place place = locate(from);
    size_t copied = 0;
    for (auto block = place.block; copied < length; ++block, place.index = 0)
    {
        size_t count = std::min(length - copied, block->length() - place.index);
        std::memcpy(dest + copied, block->data() + place.index, count);
        copied += count;
    }
    return copied;
}

size_t Buffer::copyto(iovec* vectors, size_t max, size_t from, size_t length) const
{
    if (from >= _size || max == 0) return 0;
    if (length == 0 || length > _size - from) length = _size - from;
    Place place = locate(from);
    size_t pairs = 0;
    for (auto block = place.block; length > 0 && pairs < max; ++block, place.index = 0)
    {
        size_t count = std::min(length, block->length() - place.index);
        if (count == 0) continue;
        vectors[pairs].iov_base = const_cast<char*>(block->data() + place.index);
        vectors[pairs].iov_len = count;
        ++pairs;
        length -= count;
    }
    return pairs;
}

void Buffer::shrink(size_t n)
{
    if (n >= _size)
    {
        _readOffset = 0;
        _size = 0;
        for (Block& block : _blocks)
            block._length = 0;
        _fill = _blocks.begin();
    }
    else if (_blocks.front().length() - _readOffset > n)
    {
        _readOffset += n;
        _size -= n;
    }
    else
    {
        _size -= n;
        size_t consumed = n + _readOffset;
        // Wholly consumed blocks: small ones go, the others become room at
        // the back, in their order.
        auto block = _blocks.begin();
        while (consumed > 0 && consumed >= block->length())
        {
            assert(block != _fill);
            consumed -= block->length();
            auto next = std::next(block);
            if (block->capacity() < _blockSize)
            {
                _blocks.erase(block);
            }
            else
            {
                block->_length = 0;
                _blocks.splice(_blocks.end(), _blocks, block);
            }
            block = next;
        }
        _readOffset = consumed;
    }
    cleanempty();
}

char* Buffer::reserve(size_t n)
{
    _size += n;
    for (auto block = _fill; block != _blocks.end(); ++block)
    {
        if (block->room() < n) continue;
        char* room = block->data() + block->length();
        std::memset(room, 0, n);
        block->_length += n;
        _fill = block;
        return room;
    }
    Block& block = addBlock(n);
    std::memset(block.data(), 0, n);
    return block.data();
}

size_t Buffer::reserve(iovec* vectors, size_t max, size_t n)
{
    if (max == 0) return 0;
    size_t pairs = 0;
    for (auto block = _fill; block != _blocks.end() && n > 0 && pairs < max; ++block)
    {
        size_t count = std::min(block->room(), n);
        if (count == 0) continue;
        vectors[pairs].iov_base = block->data() + block->length();
        vectors[pairs].iov_len = count;
        ++pairs;
        block->_length += count;
        _size += count;
        n -= count;
        _fill = block;
    }
    if (n == 0 || pairs == max) return pairs;
    _size += n;
    Block& block = addBlock(n);
    vectors[pairs].iov_base = block.data();
    vectors[pairs].iov_len = n;
    return pairs + 1;
}

void Buffer::release(size_t n)
{
    if (n >= _size) return shrink(n);
    _size -= n;
    for (auto block = _blocks.end(); n > 0;)
    {
        --block;
        size_t count = std::min(n, block->length());
        if (count == 0) continue;
        block->_length -= count;
        n -= count;
        _fill = block;
    }
    cleanempty();
}

Buffer::Block& Buffer::addBlock(size_t n)
{
    bool ownBlock = _blockSize <= n;
    _blocks.emplace_back(ownBlock ? n : _blockSize);
    Block& block = _blocks.back();
    block._length = n;
    _fill = ownBlock ? _blocks.end() : std::prev(_blocks.end());
    if (ownBlock) adapt(n);
    return block;
}

void Buffer::adapt(size_t n)
{
    if (_adaptive) _blockSize = std::max(_blockSize, n / 2);
}

template <typename Copy> void Buffer::place(size_t n, Copy copy)
{
    _size += n;
    for (auto block = _fill; block != _blocks.end() && n > 0; ++block)
    {
        size_t count = std::min(block->room(), n);
        copy(block->data() + block->length(), count);
        block->_length += count;
        n -= count;
        _fill = block;
    }
    if (n == 0) return;
    // The rest takes one new block: of the block size, or of its own length
    // when it is larger.
    Block& block = addBlock(n);
    copy(block.data(), n);
}

size_t Buffer::append(const char* data, size_t n)
{
    place(n,
          [&data](char* destination, size_t count)
          {
              std::memcpy(destination, data, count);
              data += count;
          });
    return n;
}

size_t Buffer::append(const iovec* vectors, size_t count, size_t skip)
{
    size_t total = 0;
    for (size_t i = 0; i < count; ++i)
        total += vectors[i].iov_len;
    if (total <= skip) return 0;
    size_t n = total - skip;

    size_t vector = 0;
    size_t offset = skip;
    place(n,
          [&](char* destination, size_t wanted)
          {
              while (wanted > 0)
              {
                  if (offset >= vectors[vector].iov_len)
                  {
                      offset -= vectors[vector].iov_len;
                      ++vector;
                      continue;
                  }
                  size_t piece = std::min(wanted, vectors[vector].iov_len - offset);
                  std::memcpy(destination,
                              static_cast<const char*>(vectors[vector].iov_base) + offset, piece);
                  destination += piece;
                  wanted -= piece;
                  offset += piece;
              }
          });
    return n;
}

char* Buffer::buffer(size_t from, size_t length)
{
    if (from > _size || length > _size - from) return nullptr;
    if (from == _size) return nullptr;
    Place place = locate(from);
    auto first = _blocks.erase(place.block, place.block); // a mutable iterator
    size_t wanted = place.index + length;
    if (first->length() >= wanted) return first->data() + place.index;

    // Gather the following blocks into this one, one reallocation.
    size_t gathered = first->length();
    auto last = first;
    while (gathered < wanted)
        gathered += (++last)->length();
    first->grow(gathered);
    for (auto block = std::next(first); block != std::next(last); ++block)
    {
        std::memcpy(first->data() + first->length(), block->data(), block->length());
        first->_length += block->length();
        block->_length = 0;
    }
    return first->data() + place.index;
}

ssize_t Buffer::readfrom(int fd, size_t n)
{
    iovec vectors[maxReadVectors];
    size_t pairs = reserve(vectors, maxReadVectors, n);
    size_t reserved = 0;
    for (size_t i = 0; i < pairs; ++i)
        reserved += vectors[i].iov_len;
    ssize_t result = readv(fd, vectors, static_cast<int>(pairs));
    int error = errno;
    release(reserved - (result > 0 ? static_cast<size_t>(result) : 0));
    errno = error;
    return result;
}

void Buffer::swap(Buffer& other)
{
    // A list's end() belongs to the list object, not to its nodes.
    bool fillAtEnd = _fill == _blocks.end();
    bool otherFillAtEnd = other._fill == other._blocks.end();
    _blocks.swap(other._blocks);
    std::swap(_readOffset, other._readOffset);
    std::swap(_size, other._size);
    std::swap(_trailingLimit, other._trailingLimit);
    std::swap(_blockSize, other._blockSize);
    std::swap(_adaptive, other._adaptive);
    std::swap(_fill, other._fill);
    if (otherFillAtEnd) _fill = _blocks.end();
    if (fillAtEnd) other._fill = other._blocks.end();
}

size_t Buffer::trailingempty() const
{
    if (_fill == _blocks.end()) return 0;
    size_t room = _fill->room();
    for (auto block = std::next(_fill); block != _blocks.end(); ++block)
        room += block->capacity();
    return room;
}

void Buffer::cleanempty()
{
    size_t room = trailingempty();
    while (room > _trailingLimit && _blocks.size() >= 2)
    {
        auto last = std::prev(_blocks.end());
        if (last->length() > 0 || last == _fill) break;
        room -= last->capacity();
        _blocks.erase(last);
    }
}

} // namespace Network
} // namespace Kestrava
