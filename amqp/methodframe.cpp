#include "amqp/methodframe.h"

#include "amqp/outbuffer.h"
#include "amqp/protocolexception.h"

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
