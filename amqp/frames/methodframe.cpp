#include "amqp/frames/methodframe.h"

#include "amqp/buffers/outbuffer.h"
#include "amqp/detail/protocolexception.h"

#include <string>

namespace AMQP
{

void MethodFrame::fill(OutBuffer& buffer) const
{
    ExtFrame::fill(buffer);
    buffer.add(classID());
    buffer.add(methodID());
    fillArguments(buffer);
}

bool MethodFrame::process(FrameProcessor*)
{
    throw ProtocolException("unimplemented frame type " + std::to_string(type()) + " class " +
                            std::to_string(classID()) + " method " + std::to_string(methodID()));
}

} // namespace AMQP
