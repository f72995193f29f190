#pragma once

#include "amqp/detail/incoming.h"
#include "amqp/frames/extframe.h"

namespace AMQP
{

/// Content body octets. The frame does not own them: a sent frame points
/// into the caller's body, a received one into the receive buffer.
class BodyFrame : public detail::Incoming<BodyFrame, ExtFrame>
{
public:
    BodyFrame(uint16_t channel, const char* payload, uint32_t size)
        : Incoming(channel), _payload(payload), _size(size)
    {
    }
    explicit BodyFrame(ReceivedFrame& frame);

    uint8_t type() const override { return 3; }
    uint32_t payloadSize() const override { return _size; }
    void fill(OutBuffer& buffer) const override;

    const char* payload() const { return _payload; }

private:
    const char* _payload;
    uint32_t _size;
};

} // namespace AMQP
