#include "amqp/frames/confirmframes.h"

#include "amqp/detail/methoddispatch.h"
#include "amqp/detail/protocolexception.h"
#include "amqp/frames/receivedframe.h"

namespace AMQP
{

ConfirmSelectFrame::ConfirmSelectFrame(ReceivedFrame& frame) : ConfirmFrame(frame), _bits(frame) {}

bool detail::processConfirmMethod(ReceivedFrame& frame, FrameProcessor* processor)
{
    uint16_t methodID = frame.nextUint16();
    switch (methodID)
    {
    case 10:
        return ConfirmSelectFrame(frame).process(processor);
    case 11:
        return ConfirmSelectOKFrame(frame).process(processor);
    default:
        throw ProtocolException("unrecognized confirm frame method " + std::to_string(methodID));
    }
}

} // namespace AMQP
