#include "amqp/frames/channelframes.h"

#include "amqp/detail/methoddispatch.h"
#include "amqp/detail/protocolexception.h"
#include "amqp/frames/receivedframe.h"

namespace AMQP
{

ChannelOpenFrame::ChannelOpenFrame(ReceivedFrame& frame) : ChannelFrame(frame), _reserved(frame) {}

ChannelOpenOKFrame::ChannelOpenOKFrame(ReceivedFrame& frame) : Incoming(frame), _reserved(frame) {}

ChannelFlowFrame::ChannelFlowFrame(ReceivedFrame& frame) : ChannelFrame(frame), _bits(frame) {}

ChannelFlowOKFrame::ChannelFlowOKFrame(ReceivedFrame& frame) : Incoming(frame), _bits(frame) {}

ChannelCloseFrame::ChannelCloseFrame(uint16_t channel, uint16_t replyCode,
                                     const std::string& replyText, uint16_t failingClass,
                                     uint16_t failingMethod)
    : Incoming(channel), _replyCode(replyCode), _replyText(replyText), _failingClass(failingClass),
      _failingMethod(failingMethod)
{
}

ChannelCloseFrame::ChannelCloseFrame(ReceivedFrame& frame)
    : Incoming(frame), _replyCode(frame), _replyText(frame), _failingClass(frame),
      _failingMethod(frame)
{
}

ChannelCloseOKFrame::ChannelCloseOKFrame(ReceivedFrame& frame) : Incoming(frame) {}

bool detail::processChannelMethod(ReceivedFrame& frame, FrameProcessor* processor)
{
    uint16_t methodID = frame.nextUint16();
    switch (methodID)
    {
    case 10:
        return ChannelOpenFrame(frame).process(processor);
    case 11:
        return ChannelOpenOKFrame(frame).process(processor);
    case 20:
        return ChannelFlowFrame(frame).process(processor);
    case 21:
        return ChannelFlowOKFrame(frame).process(processor);
    case 40:
        return ChannelCloseFrame(frame).process(processor);
    case 41:
        return ChannelCloseOKFrame(frame).process(processor);
    default:
        throw ProtocolException("unrecognized channel frame method " + std::to_string(methodID));
    }
}

} // namespace AMQP
