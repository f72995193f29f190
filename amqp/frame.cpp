#include "amqp/frame.h"

#include "amqp/protocolexception.h"

namespace AMQP
{

bool Frame::process(FrameProcessor*)
{
    throw ProtocolException("unimplemented frame");
}

} // namespace AMQP
