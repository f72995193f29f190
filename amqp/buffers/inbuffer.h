#pragma once

#include <cstddef>
#include <cstdint>

namespace AMQP
{

class Buffer;

/// A read cursor over a Buffer. Every reader checks that its octets are
/// there before it reads and consumes them only after; a read that does not
/// fit throws ProtocolException "frame out of range" and consumes nothing.
/// Numbers are read in network byte order.
class InBuffer
{
public:
    /// buffer must outlive the cursor.
    explicit InBuffer(const Buffer& buffer);
    virtual ~InBuffer() = default;

    InBuffer(const InBuffer&) = delete;
    InBuffer& operator=(const InBuffer&) = delete;

    uint8_t nextUint8();
    int8_t nextInt8();
    uint16_t nextUint16();
    int16_t nextInt16();
    uint32_t nextUint32();
    int32_t nextInt32();
    uint64_t nextUint64();
    int64_t nextInt64();
    float nextFloat();
    double nextDouble();

    /// size contiguous octets inside the buffer, not copied: valid as long
    /// as the buffer is.
    const char* nextData(uint32_t size);

    /// Octets consumed so far.
    size_t consumed() const { return _consumed; }

    /// Octets that can still be read.
    size_t available() const { return _end - _consumed; }

protected:
    /// Allows reads only before position end (not beyond the buffer), so
    /// that a frame's fields cannot run into the octets that follow it.
    void limit(size_t end);

private:
    friend class BufferCheck;

    template <class Integer> Integer nextNumber();

    const Buffer& _buffer;
    size_t _consumed = 0;
    size_t _end;
};

} // namespace AMQP
