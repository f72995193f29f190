#pragma once

// Shared by the AMQP tests: octet strings built by hand (independent of the
// library's own encoders), a sink that collects what is written, and a frame
// processor that records what it was handed.

#include "amqp/buffers/bytebuffer.h"
#include "amqp/buffers/copiedbuffer.h"
#include "amqp/frames/receivedframe.h"
#include "tests/amqp/visitingprocessor.h"

#include <memory>
#include <string>

namespace AMQPTest
{

/// Octets in network order, appended piece by piece.
class Octets
{
public:
    Octets& u8(uint8_t value)
    {
        _octets += char(value);
        return *this;
    }
    Octets& u16(uint16_t value) { return u8(value >> 8).u8(value & 0xFF); }
    Octets& u32(uint32_t value) { return u16(value >> 16).u16(value & 0xFFFF); }
    Octets& u64(uint64_t value) { return u32(value >> 32).u32(value & 0xFFFFFFFF); }
    Octets& raw(const std::string& octets)
    {
        _octets += octets;
        return *this;
    }
    Octets& shortString(const std::string& text) { return u8(uint8_t(text.size())).raw(text); }
    Octets& longString(const std::string& text) { return u32(uint32_t(text.size())).raw(text); }

    const std::string& str() const { return _octets; }
    operator const std::string&() const { return _octets; }

private:
    std::string _octets;
};

/// A whole frame around a payload: header, payload, end octet.
inline std::string frameOf(uint8_t type, uint16_t channel, const std::string& payload)
{
    return Octets().u8(type).u16(channel).u32(uint32_t(payload.size())).raw(payload).u8(0xCE);
}

/// A method frame: class id, method id, arguments.
inline std::string methodFrame(uint16_t channel, uint16_t classID, uint16_t methodID,
                               const std::string& arguments)
{
    return frameOf(1, channel, Octets().u16(classID).u16(methodID).raw(arguments));
}

/// Collects everything written to it.
class StringBuffer : public AMQP::OutBuffer
{
public:
    void append(const char* data, size_t count) override { _octets.append(data, count); }

    const std::string& octets() const { return _octets; }
    void clear() { _octets.clear(); }
    void reserve(size_t size) { _octets.reserve(size); }

private:
    std::string _octets;
};

inline std::string encode(const AMQP::Frame& frame)
{
    AMQP::CopiedBuffer buffer(frame);
    return std::string(buffer.data(), buffer.size());
}

inline std::string encode(const AMQP::Field& field)
{
    StringBuffer buffer;
    field.fill(buffer);
    return buffer.octets();
}

/// Keeps a copy of the last frame handed to it.
class RecordingProcessor : public VisitingProcessor<RecordingProcessor>
{
public:
    const std::shared_ptr<AMQP::Frame>& last() const { return _last; }
    template <class T> T& lastAs() { return dynamic_cast<T&>(*_last); }

    template <class T> bool visit(T& frame)
    {
        _last = std::make_shared<T>(frame);
        return true;
    }

private:
    std::shared_ptr<AMQP::Frame> _last;
};

/// Cuts the first frame from octets and processes it; the octets must
/// outlive the recorded frame when it points into them (a body frame).
inline bool processFrame(const std::string& octets, RecordingProcessor& processor, uint32_t max = 0)
{
    AMQP::ByteBuffer buffer(octets.data(), octets.size());
    AMQP::ReceivedFrame frame(buffer, max);
    return frame.process(&processor);
}

} // namespace AMQPTest
