#pragma once

#include "filter/result.h"

#include <memory>
#include <string>
#include <vector>

namespace Kestrava
{
namespace Filter
{

/**
 * The collecting sink: keeps what it is given as a list of chunks, copying
 * only what is not final. Final bytes are kept by pointer, so they must
 * outlive the sink (which is what `final` promises).
 */
class Memory : public Result
{
public:
    /// One chunk: owned storage of `capacity` bytes, or borrowed bytes of
    /// the caller when `capacity` is 0.
    class Buffer
    {
    public:
        /// Borrows `used` bytes at `data`.
        Buffer(const char* data, size_t used) : capacity(0), data(data), used(used) {}

        /// Owns a copy of `size` bytes in storage of `capacity` bytes.
        Buffer(size_t capacity, const char* data, size_t size);

        Buffer(Buffer&&) = default;
        Buffer& operator=(Buffer&&) = default;
        virtual ~Buffer() = default;

        /// Room left in owned storage; none in a borrowed chunk.
        size_t room() const { return capacity - used; }

        /// Copies bytes behind the used ones; they must fit in room().
        void copy(const char* bytes, size_t size);

        size_t capacity;
        const char* data;
        size_t used;

    private:
        std::unique_ptr<char[]> _storage;
    };

    Memory() = default;
    Memory(const Memory&) = delete;
    Memory& operator=(const Memory&) = delete;

    using Result::append;

    size_t append(const char* data, size_t size, bool final) override;

    /// Every byte appended so far, joined; the string is rebuilt only when
    /// bytes came since the last call.
    const std::string& buffer() const;

    /// The number of bytes appended so far.
    size_t size() const { return _total; }

    /// The chunks, in order.
    const std::vector<Buffer>& chunks() const { return _chunks; }

private:
    void addOwned(const char* data, size_t size);

    std::vector<Buffer> _chunks;
    size_t _total = 0;
    mutable std::string _cache;
};

} // namespace Filter
} // namespace Kestrava
