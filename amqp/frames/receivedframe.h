#pragma once

#include "amqp/buffers/inbuffer.h"

#include <cstdint>

namespace AMQP
{

class Buffer;
class FrameProcessor;

/// The frame at the front of a buffer of received octets. The constructor
/// reads the 7-octet header (once there) and checks the size and, once the
/// frame is complete, its end octet; process then decodes the payload and
/// hands it to the engine. Reads are bounded by the frame's own payload.
class ReceivedFrame : public InBuffer
{
public:
    /// max is the largest frame allowed in all (0: no limit). Throws
    /// ProtocolException "frame size exceeded" for a larger frame and
    /// "invalid end of frame marker" for a complete frame that does not end
    /// in 0xCE. buffer must outlive the frame and the frames it builds.
    ReceivedFrame(const Buffer& buffer, uint32_t max);

    /// Whether the 7-octet header is there (and has been read).
    bool header() const { return _available > 6; }

    /// Whether the whole frame, end octet included, is there.
    bool complete() const { return header() && _available >= totalSize(); }

    /// Octets of the whole frame, end octet included.
    uint64_t totalSize() const { return uint64_t(_payloadSize) + 8; }

    uint8_t type() const { return _type; }
    uint16_t channel() const { return _channel; }
    uint32_t payloadSize() const { return _payloadSize; }

    /// Decodes a complete frame and hands it to processor; returns what the
    /// processor returns. Throws ProtocolException for an unknown frame type,
    /// class or method, for a method only a client sends, and for a payload
    /// shorter than its fields ("frame out of range").
    bool process(FrameProcessor* processor);

private:
    size_t _available;
    uint8_t _type = 0;
    uint16_t _channel = 0;
    uint32_t _payloadSize = 0;
};

} // namespace AMQP
