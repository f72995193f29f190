#pragma once

#include "event/watchable.h"

#include <sys/types.h>
#include <sys/uio.h>

#include <cstddef>
#include <list>
#include <memory>

namespace Kestrava
{
namespace Network
{

/**
 * The growable byte queue of the network layer: appended at the back,
 * consumed from the front.
 *
 * The bytes live in a list of separately allocated blocks, so that an
 * append never moves stored bytes, the kernel can read into and write from
 * several blocks at once, and consumed blocks are recycled. Positions count
 * from the first unconsumed byte; a search that finds nothing returns npos.
 *
 * A Watchable: a handler that is handed the buffer in a callback may
 * destroy its owner, which the caller finds out through a Monitor.
 */
class Buffer : public Event::Watchable
{
public:
    static constexpr size_t npos = static_cast<size_t>(-1);

    /// One allocation: `length()` bytes of data followed by free room.
    class Block
    {
    public:
        explicit Block(size_t capacity);

        size_t length() const { return _length; }
        size_t capacity() const { return _capacity; }
        size_t room() const { return _capacity - _length; }
        char* data() { return _bytes.get(); }
        const char* data() const { return _bytes.get(); }

    private:
        friend class Buffer;

        /// Reallocates to `capacity` (not below the length), keeping the data.
        void grow(size_t capacity);

        std::unique_ptr<char[]> _bytes;
        size_t _length = 0;
        size_t _capacity;
    };

    /**
     * `trailingLimit`: the most empty room kept allocated behind the data;
     * `blockSize`: the capacity of a new block for a run not larger than it;
     * `adaptive`: a run placed in a block of its own raises the block size
     * to half of it.
     */
    explicit Buffer(size_t trailingLimit = 4096, size_t blockSize = 1024, bool adaptive = true);

    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;

    ~Buffer() override = default;

    size_t size() const { return _size; }

    /// The first occurrence of `length` bytes of `text` at or after `from`,
    /// also across block boundaries.
    size_t find(const char* text, size_t from, size_t length) const;
    size_t find(char c, size_t from) const;

    /// Copies from position `from`; a `length` of 0, or one reaching past
    /// the data, means up to the end. Returns the bytes copied.
    size_t copyto(char* dest, size_t from, size_t length) const;

    /// The same selection as at most `max` pairs pointing into the blocks;
    /// returns the pairs filled.
    size_t copyto(iovec* vectors, size_t max, size_t from, size_t length) const;

    /// Consumes `n` bytes from the front.
    void shrink(size_t n);

    /// `n` contiguous zeroed bytes at the end, counted as data at once.
    char* reserve(size_t n);

    /// Up to `n` bytes of room at the end in at most `max` pairs, counted as
    /// data at once; returns the pairs filled.
    size_t reserve(iovec* vectors, size_t max, size_t n);

    /// Gives back the last `n` bytes (reserved room that was not filled).
    void release(size_t n);

    size_t append(const char* data, size_t n);

    /// Appends the bytes of `count` pairs after leaving out the first
    /// `skip`; returns the bytes appended.
    size_t append(const iovec* vectors, size_t count, size_t skip);

    /// The `length` bytes from `from` made contiguous, or null when the data
    /// is shorter. Copies only when the run crosses a block boundary.
    char* buffer(size_t from, size_t length);

    /// One scatter read of up to `n` bytes into the room; returns what
    /// readv returned, and only the bytes read stay as data.
    ssize_t readfrom(int fd, size_t n);

    void swap(Buffer& other);

    /// The free room behind the data.
    size_t trailingempty() const;

    /// Frees empty blocks at the back while the room behind the data
    /// exceeds the trailing limit.
    void cleanempty();

    /// The blocks in data order, for inspection.
    const std::list<Block>& blocks() const { return _blocks; }
    size_t blockSize() const { return _blockSize; }

private:
    using Blocks = std::list<Block>;

    /// A byte position resolved to a block and an index within it.
    struct Place
    {
        Blocks::const_iterator block;
        size_t index;
    };

    /// The block holding position `position` (< size).
    Place locate(size_t position) const;

    /// Whether `length` bytes of `text` stand at `place`.
    bool matches(Place place, const char* text, size_t length) const;

    /// Appends `n` bytes that `copy(destination, count)` delivers in order.
    template <typename Copy> void place(size_t n, Copy copy);

    /// A new block at the back for `n` bytes of data; the fill position
    /// follows when the block keeps room.
    Block& addBlock(size_t n);

    /// Raises the block size after a run of `n` bytes got a block of its own.
    void adapt(size_t n);

    Blocks _blocks;
    size_t _readOffset = 0;
    size_t _size = 0;
    size_t _trailingLimit;
    size_t _blockSize;
    bool _adaptive;
    /// The block that takes the next bytes; end() for a new block.
    Blocks::iterator _fill;
};

} // namespace Network
} // namespace Kestrava
