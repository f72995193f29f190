#include "amqp/frames/frame.h"

#include "amqp/detail/protocolexception.h"

namespace AMQP
{

bool Frame::process(FrameProcessor*)
{
    throw ProtocolException("unimplemented frame");
}

} // namespace AMQP
