#pragma once

#include "amqp/frames/frameprocessor.h"

namespace AMQP::detail
{

/// The base of a frame that a broker sends, between the frame class Base and
/// the frame's own class Frame: processing hands the decoded frame to the
/// engine's overload for Frame.
template <class Frame, class Base> class Incoming : public Base
{
public:
    bool process(FrameProcessor* processor) override
    {
        return processor->process(static_cast<Frame&>(*this));
    }

protected:
    using Base::Base;
};

} // namespace AMQP::detail
