#pragma once

#include <cstdint>

namespace AMQP
{

class FrameProcessor;
class OutBuffer;

/// Something that goes on the wire as one frame. Invariant every frame
/// class keeps: totalSize() is the number of octets fill writes, plus one
/// when needsSeparator() (the end octet).
class Frame
{
public:
    virtual ~Frame() = default;

    /// Octets of the whole frame on the wire, end octet included.
    virtual uint64_t totalSize() const = 0;

    /// Writes the frame without its end octet.
    virtual void fill(OutBuffer& buffer) const = 0;

    /// Sent during the handshake, before the connection is ready.
    virtual bool partOfHandshake() const { return false; }

    /// Closes the connection, so it may go out after a close was requested.
    virtual bool partOfShutdown() const { return false; }

    /// Whether the end octet 0xCE follows.
    virtual bool needsSeparator() const { return true; }

    /// Whether the sender must wait for the broker's answer before sending
    /// more frames on the channel.
    virtual bool synchronous() const { return false; }

    /// Hands a received frame to the connection engine. Frames that a broker
    /// never sends throw ProtocolException; the default: "unimplemented frame".
    virtual bool process(FrameProcessor* processor);
};

} // namespace AMQP
