#pragma once

#include "amqp/extframe.h"

namespace AMQP
{

/// Content body octets. The frame does not own them: a sent frame points
/// into the caller's body, a received one into the receive buffer.
class BodyFrame : public ExtFrame
{
public:
    BodyFrame(uint16_t channel, const char* payload, uint32_t size)
        : ExtFrame(channel), _payload(payload), _size(size)
    {
    }
    explicit BodyFrame(ReceivedFrame& frame);

    uint8_t type() const override { return 3; }
    uint32_t payloadSize() const override { return _size; }
    void fill(OutBuffer& buffer) const override;
    bool process(FrameProcessor* processor) override;

    const char* payload() const { return _payload; }

private:
    const char* _payload;
    uint32_t _size;
};

} // namespace AMQP
