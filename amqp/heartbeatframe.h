#pragma once

#include "amqp/extframe.h"

namespace AMQP
{

/// The keep-alive frame: type 8 on channel 0 without payload.
class HeartbeatFrame : public ExtFrame
{
public:
    HeartbeatFrame() : ExtFrame(0) {}

    uint8_t type() const override { return 8; }
    uint32_t payloadSize() const override { return 0; }
    bool process(FrameProcessor* processor) override;
};

} // namespace AMQP
