#pragma once

#include "amqp/frames/extframe.h"

namespace AMQP
{

class OutBuffer;

/// A method: class id, method id and the method's arguments. Each method
/// class keeps its arguments as fields in wire order and computes its size
/// from them, so the size is known before the frame is written.
class MethodFrame : public ExtFrame
{
public:
    uint8_t type() const override { return 1; }
    virtual uint16_t classID() const = 0;
    virtual uint16_t methodID() const = 0;

    uint32_t payloadSize() const override { return 4 + argumentsSize(); }
    void fill(OutBuffer& buffer) const final;

    /// Most methods are answered; those that are not override this.
    bool synchronous() const override { return true; }

    /// Throws "unimplemented frame type 1 class C method M": methods that
    /// only a client sends must not arrive from the broker.
    bool process(FrameProcessor* processor) override;

protected:
    using ExtFrame::ExtFrame;

    /// Octets of the arguments.
    virtual uint32_t argumentsSize() const = 0;

    /// Writes the arguments.
    virtual void fillArguments(OutBuffer& buffer) const = 0;
};

} // namespace AMQP
