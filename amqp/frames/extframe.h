#pragma once

#include "amqp/frames/frame.h"

namespace AMQP
{

class ReceivedFrame;

/// A frame with the general layout: type, channel, payload size, payload,
/// end octet.
class ExtFrame : public Frame
{
public:
    uint16_t channel() const { return _channel; }

    /// Octets between the 7-octet header and the end octet.
    virtual uint32_t payloadSize() const = 0;

    uint64_t totalSize() const override { return uint64_t(payloadSize()) + 8; }

    /// Writes the header; derived classes add their payload.
    void fill(OutBuffer& buffer) const override;

    /// The frame type octet.
    virtual uint8_t type() const = 0;

    /// Throws "unimplemented frame type " and the type.
    bool process(FrameProcessor* processor) override;

protected:
    explicit ExtFrame(uint16_t channel) : _channel(channel) {}
    explicit ExtFrame(const ReceivedFrame& frame);

private:
    uint16_t _channel;
};

} // namespace AMQP
