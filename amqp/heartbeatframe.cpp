#include "amqp/heartbeatframe.h"

#include "amqp/frameprocessor.h"

namespace AMQP
{

bool HeartbeatFrame::process(FrameProcessor* processor)
{
    return processor->process(*this);
}

} // namespace AMQP
