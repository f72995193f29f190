#pragma once

#include "amqp/detail/incoming.h"
#include "amqp/frames/extframe.h"

namespace AMQP
{

/// The keep-alive frame: type 8 on channel 0 without payload.
class HeartbeatFrame : public detail::Incoming<HeartbeatFrame, ExtFrame>
{
public:
    HeartbeatFrame() : Incoming(0) {}

    uint8_t type() const override { return 8; }
    uint32_t payloadSize() const override { return 0; }
};

} // namespace AMQP
