#include "amqp/extframe.h"

#include "amqp/outbuffer.h"
#include "amqp/protocolexception.h"
#include "amqp/receivedframe.h"

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
