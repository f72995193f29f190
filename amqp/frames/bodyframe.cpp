#include "amqp/frames/bodyframe.h"

#include "amqp/buffers/outbuffer.h"
#include "amqp/frames/receivedframe.h"

namespace AMQP
{

BodyFrame::BodyFrame(ReceivedFrame& frame)
    : Incoming(frame), _payload(frame.nextData(frame.payloadSize())), _size(frame.payloadSize())
{
}

void BodyFrame::fill(OutBuffer& buffer) const
{
    ExtFrame::fill(buffer);
    buffer.add(_payload, _size);
}

} // namespace AMQP
