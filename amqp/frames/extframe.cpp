#include "amqp/frames/extframe.h"

#include "amqp/buffers/outbuffer.h"
#include "amqp/detail/protocolexception.h"
#include "amqp/frames/receivedframe.h"

#include <string>

namespace AMQP
{

ExtFrame::ExtFrame(const ReceivedFrame& frame) : _channel(frame.channel()) {}

void ExtFrame::fill(OutBuffer& buffer) const
{
    buffer.add(type());
    buffer.add(_channel);
    buffer.add(payloadSize());
}

bool ExtFrame::process(FrameProcessor*)
{
    throw ProtocolException("unimplemented frame type " + std::to_string(type()));
}

} // namespace AMQP
